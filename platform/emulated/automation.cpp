// The automation objects of the emulated machine: its disk-quota control and
// the quota entries it hands out, answering with the codes and English
// descriptions of the Windows quota service.

#include "platform/automation.h"

#include "platform/emulated/machine.h"

#include <QRegularExpression>
#include <cmath>
#include <optional>

namespace platform::automation {
namespace {

using emulated::Machine;

enum : std::uint32_t
{
    kUnexpected = 0x8000FFFF,
    kInvalidClassString = 0x800401F3,
    kUnknownName = 0x80020006,
    kMemberNotFound = 0x80020003,
    kTypeMismatch = 0x80020005,
    kBadParamCount = 0x8002000E,
    kPathNotFound = 0x80070003,
    kAccessDenied = 0x80070005,
    kNotSupported = 0x80070032,
    kInvalidParameter = 0x80070057,
    kInvalidName = 0x8007007B,
    kAlreadyInitialized = 0x800704DF,
    kNoneMapped = 0x80070534,
};

std::u16string describe(std::uint32_t code)
{
    switch (code) {
    case kUnexpected:
        return u"Catastrophic failure";
    case kInvalidClassString:
        return u"Invalid class string";
    case kUnknownName:
        return u"Unknown name.";
    case kMemberNotFound:
        return u"Member not found.";
    case kTypeMismatch:
        return u"Type mismatch.";
    case kBadParamCount:
        return u"Invalid number of parameters.";
    case kPathNotFound:
        return u"The system cannot find the path specified.";
    case kAccessDenied:
        return u"Access is denied.";
    case kNotSupported:
        return u"The request is not supported.";
    case kInvalidParameter:
        return u"The parameter is incorrect.";
    case kInvalidName:
        return u"The filename, directory name, or volume label syntax is incorrect.";
    case kAlreadyInitialized:
        return u"An attempt was made to perform an initialization operation when initialization "
               u"has already been completed.";
    case kNoneMapped:
        return u"No mapping between account names and security IDs was done.";
    default:
        return {};
    }
}

[[noreturn]] void fail(std::uint32_t code)
{
    throw Error(static_cast<std::int32_t>(code), describe(code));
}

QString memberKey(std::u16string_view member)
{
    return QStringView(member).toString().toLower();
}

// A member's use, told to the machine, which may have been asked to fail it.
void beginCall(std::u16string_view member)
{
    Machine::instance().called(QStringView(member));
    if (const auto code = Machine::instance().takeMemberFailure(QStringView(member))) {
        fail(static_cast<std::uint32_t>(*code));
    }
}

QString textArgument(const Variant& value)
{
    if (const auto* text = std::get_if<TextRef>(&value)) {
        return QStringView(text->get()).toString();
    }
    fail(kTypeMismatch);
}

// Numbers arrive as whatever kind the caller chose, as through VariantChangeType.
double numberArgument(const Variant& value)
{
    if (const auto* number = std::get_if<double>(&value)) {
        return *number;
    }
    if (const auto* number = std::get_if<std::int16_t>(&value)) {
        return *number;
    }
    if (const auto* flag = std::get_if<bool>(&value)) {
        return *flag ? -1.0 : 0.0;
    }
    fail(kTypeMismatch);
}

void expectCount(const std::vector<Variant>& arguments, std::size_t count)
{
    if (arguments.size() != count) {
        fail(kBadParamCount);
    }
}

// Counted by the machine, so that tests can tell whether everything was released.
class EmulatedObject : public Dispatch
{
public:
    EmulatedObject() { Machine::instance().objectCreated(); }
    ~EmulatedObject() override { Machine::instance().objectReleased(); }
};

class QuotaUser : public EmulatedObject
{
public:
    QuotaUser(QChar driveLetter, QString account, bool writable)
        : driveLetter_(driveLetter), account_(std::move(account)), writable_(writable)
    {
    }

    Variant call(std::u16string_view member, const std::vector<Variant>&) override
    {
        const QString key = memberKey(member);
        fail(key == u"quotalimit" || key == u"quotathreshold" ? kMemberNotFound : kUnknownName);
    }

    void set(std::u16string_view member, const Variant& value) override
    {
        const QString key = memberKey(member);
        if (key != u"quotalimit" && key != u"quotathreshold") {
            fail(kUnknownName);
        }
        beginCall(member);
        if (!writable_) {
            fail(kAccessDenied);
        }
        const double bytes = numberArgument(value);
        if (bytes != -1.0 && (!std::isfinite(bytes) || bytes < 0 || bytes != std::floor(bytes))) {
            fail(kInvalidParameter);
        }
        emulated::Volume* volume = Machine::instance().volume(driveLetter_);
        if (volume == nullptr) {
            fail(kPathNotFound);
        }
        emulated::QuotaEntry& entry = volume->entries[account_];
        (key == u"quotalimit" ? entry.limit : entry.threshold) = bytes;
    }

private:
    QChar driveLetter_;
    QString account_;
    bool writable_;
};

class QuotaControl : public EmulatedObject
{
public:
    Variant call(std::u16string_view member, const std::vector<Variant>& arguments) override
    {
        const QString key = memberKey(member);
        if (key == u"initialize") {
            beginCall(member);
            expectCount(arguments, 2);
            initialize(textArgument(arguments[0]), numberArgument(arguments[1]) != 0);
            return {};
        }
        if (key == u"adduser") {
            beginCall(member);
            expectCount(arguments, 1);
            return addUser(textArgument(arguments[0]));
        }
        fail(key == u"logquotathreshold" ? kMemberNotFound : kUnknownName);
    }

    void set(std::u16string_view member, const Variant& value) override
    {
        const QString key = memberKey(member);
        if (key == u"initialize" || key == u"adduser") {
            fail(kMemberNotFound);
        }
        if (key != u"logquotathreshold") {
            fail(kUnknownName);
        }
        beginCall(member);
        emulated::Volume& volume = initializedVolume();
        if (!writable_) {
            fail(kAccessDenied);
        }
        volume.logsThreshold = numberArgument(value) != 0;
    }

private:
    void initialize(const QString& path, bool writable)
    {
        if (driveLetter_) {
            fail(kAlreadyInitialized);
        }
        // Anchored at the very end: a line feed after the path is no part of a drive.
        static const QRegularExpression drivePath(
            QRegularExpression::anchoredPattern(QStringLiteral("([A-Za-z]):\\\\*")));
        const QRegularExpressionMatch match = drivePath.match(path);
        if (!match.hasMatch()) {
            fail(kInvalidName);
        }
        const QChar letter = match.captured(1).front().toUpper();
        const emulated::Volume* volume = Machine::instance().volume(letter);
        if (volume == nullptr) {
            fail(kPathNotFound);
        }
        if (!volume->supportsQuotas) {
            fail(kNotSupported);
        }
        driveLetter_ = letter;
        writable_ = writable;
    }

    // The entry is kept by the account the name resolves to on this machine,
    // as the service keeps it by its SID: only a user's will do.
    Object addUser(const QString& name)
    {
        emulated::Volume& volume = initializedVolume();
        const std::optional<emulated::LookedUp> found = Machine::instance().lookUp(name);
        if (!found || found->account == nullptr) {
            fail(kNoneMapped);
        }
        const QString account = found->domain + u'\\' + found->account->name;
        volume.entries.try_emplace(account);
        return std::make_shared<QuotaUser>(*driveLetter_, account, writable_);
    }

    emulated::Volume& initializedVolume()
    {
        emulated::Volume* volume =
            driveLetter_ ? Machine::instance().volume(*driveLetter_) : nullptr;
        if (volume == nullptr) {
            fail(kUnexpected);
        }
        return *volume;
    }

    std::optional<QChar> driveLetter_;
    bool writable_ = false;
};

} // namespace

Object CreateObject(std::u16string_view progId)
{
    Machine::instance().called(u"CreateObject");
    if (const auto code = Machine::instance().takeCreationFailure()) {
        fail(static_cast<std::uint32_t>(*code));
    }
    if (QStringView(progId).toString().compare(u"Microsoft.DiskQuota.1", Qt::CaseInsensitive) !=
        0) {
        fail(kInvalidClassString);
    }
    return std::make_shared<QuotaControl>();
}

} // namespace platform::automation
