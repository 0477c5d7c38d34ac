// The emulated machine answers as Windows does, where the routines' tests do
// not already show it.

#include "platform/automation.h"
#include "platform/emulated/machine.h"
#include "platform/netapi.h"

#include <gtest/gtest.h>

namespace {

using namespace std::string_literals;
using emulated::Machine;
using platform::automation::Object;
using platform::automation::TextRef;

platform::NET_API_STATUS add(std::u16string name, std::u16string password = u"")
{
    platform::USER_INFO_1 record{};
    record.usri1_name = name.data();
    record.usri1_password = password.data();
    record.usri1_priv = platform::USER_PRIV_USER;
    return platform::NetUserAdd(u"localhost", 1, &record, nullptr);
}

// The code a call raises; 0 when it raises none.
template <typename Call> std::uint32_t failure(Call&& call)
{
    try {
        call();
    } catch (const platform::automation::Error& error) {
        return static_cast<std::uint32_t>(error.code());
    }
    return 0;
}

TEST(MachineTest, RefusesNamesAndPasswordsAsWindowsDoes)
{
    Machine::instance().reset();
    const std::pair<std::u16string, platform::NET_API_STATUS> names[] = {
        {u"GUEST", 2224},
        {u"users", 1379},
        {u"", 2202},
        {std::u16string(21, u'x'), 2202},
        {u"...", 2202},
        {u". .", 2202},
        {u"name.", 2202},
        // Characters 1 to 31 are refused; DEL, the C1 controls and
        // byte-order marks are ordinary characters of a name.
        {u"a\x01", 2202},
        {u"a\x1f", 2202},
        {u"dave\x7f", 0},
        {u"a\x85", 0},
        {u"\uFEFFb", 0},
        {std::u16string(20, u'x'), 0},
        {u".a b", 0},
        {u"Kim", 0},
        {u"kIM", 2224}};
    for (const auto& [name, status] : names) {
        EXPECT_EQ(add(name), status) << name.size();
    }
    for (char16_t c : u"\"/\\[]:|<>+=;?*,"s) {
        EXPECT_EQ(add(u"a"s + c), 2202u) << int(c);
    }
    EXPECT_EQ(add(u"pw1", std::u16string(257, u'p')), 2245u);
    EXPECT_EQ(add(u"pw2", std::u16string(256, u'p')), 0u);

    const std::u16string password = u"Tr0ub4dor&3";
    ASSERT_EQ(add(u"lee", password), 0u);
    const emulated::Account& lee = *Machine::instance().findAccount(QStringLiteral("LEE"));
    const QByteArray clear(reinterpret_cast<const char*>(password.data()),
                           qsizetype(password.size() * sizeof(char16_t)));
    EXPECT_FALSE(lee.passwordHash.contains(clear) || lee.passwordSalt.contains(clear));
    EXPECT_TRUE(
        Machine::instance().isPassword(QStringLiteral("lee"), QStringLiteral("Tr0ub4dor&3")));
    EXPECT_FALSE(
        Machine::instance().isPassword(QStringLiteral("lee"), QStringLiteral("Tr0ub4dor&")));
}

TEST(MachineTest, TheQuotaControlTakesDriveLettersAndKeepsReadOnly)
{
    Machine& machine = Machine::instance();
    machine.reset();
    const auto control = [](const std::u16string& path, std::int16_t mode = 1) {
        Object quota = platform::automation::CreateObject(u"Microsoft.DiskQuota.1");
        quota->call(u"Initialize", {TextRef(path), mode});
        return quota;
    };
    for (const std::u16string path : {u"D:", u"d:\\", u"c:\\\\\\"}) {
        EXPECT_EQ(failure([&] { control(path); }), 0u);
    }
    for (const std::u16string path : {u"D", u"D:x", u"D:\\\n", u"\nD:"}) {
        EXPECT_EQ(failure([&] { control(path); }), 0x8007007Bu) << "syntax";
    }
    // Initialized for reading only, the control changes nothing.
    const Object readOnly = control(u"C:", 0);
    EXPECT_EQ(failure([&] { readOnly->set(u"LogQuotaThreshold", true); }), 0x80070005u);
    EXPECT_FALSE(machine.volume(u'C')->logsThreshold);
}

} // namespace
