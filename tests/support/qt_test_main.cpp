// Runs the tests of the windows inside an application object, as the program does.

#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
