// The floor for any Qt Widgets program on this machine: a window of the New
// User window's size that shows a label and a line edit, and nothing more.

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QWidget>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    QWidget window;
    window.setFixedSize(411, 367);
    auto* label = new QLabel(QStringLiteral("User name:"), &window);
    label->move(12, 16);
    auto* edit = new QLineEdit(&window);
    edit->setGeometry(92, 12, 309, 23);
    window.show();
    return QApplication::exec();
}
