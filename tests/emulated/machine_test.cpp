// The emulated machine answers as Windows does, through the same calls.

#include "platform/automation.h"
#include "platform/emulated/machine.h"
#include "platform/netapi.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>

namespace {

using namespace std::string_literals;
using emulated::Machine;
using platform::automation::Object;
using platform::automation::TextRef;

class MachineTest : public ::testing::Test
{
protected:
    void SetUp() override { machine().reset(); }
    void TearDown() override { EXPECT_EQ(machine().liveObjects(), 0); }

    static Machine& machine() { return Machine::instance(); }

    static platform::NET_API_STATUS add(const std::u16string& server, std::u16string name,
                                        std::u16string password = u"", std::uint32_t priv = 1,
                                        std::uint32_t level = 1, std::uint32_t* parmError = nullptr)
    {
        platform::USER_INFO_1 record{};
        record.usri1_name = name.data();
        record.usri1_password = password.data();
        record.usri1_priv = priv;
        return platform::NetUserAdd(server.c_str(), level, &record, parmError);
    }

    // The code and description a call raises; 0 when it raises none.
    template <typename Call> static std::pair<std::uint32_t, std::u16string> failure(Call&& call)
    {
        try {
            call();
        } catch (const platform::automation::Error& error) {
            return {static_cast<std::uint32_t>(error.code()), error.description()};
        }
        return {0, {}};
    }

    static Object quotaOn(const std::u16string& path, std::int16_t writable = 1)
    {
        Object quota = platform::automation::CreateObject(u"Microsoft.DiskQuota.1");
        quota->call(u"Initialize", {TextRef(path), writable});
        return quota;
    }
};

TEST_F(MachineTest, AnswersToItsOwnNamesOnly)
{
    const std::u16string here = machine().name().toUpper().toStdU16String();
    const std::pair<std::u16string, platform::NET_API_STATUS> servers[] = {
        {here, 0},          {u"\\\\" + here, 0}, {u"LocalHost", 0}, {u"\\\\127.0.0.1", 0},
        {u"elsewhere", 53}, {u"", 53},           {u"\\\\", 123},    {u"\\localhost", 123}};
    int n = 0;
    for (const auto& [server, status] : servers) {
        EXPECT_EQ(add(server, u"u" + std::u16string(1, char16_t(u'a' + n++))), status);
    }
    EXPECT_EQ(machine().accounts().size(), 7u);
}

TEST_F(MachineTest, RefusesNamesAndRecordsAsWindowsDoes)
{
    for (const char16_t* taken : {u"administrator", u"GUEST", u"DefaultAccount"}) {
        EXPECT_EQ(add(u"localhost", taken), 2224u);
    }
    for (const char16_t* group : {u"ADMINISTRATORS", u"users", u"Guests"}) {
        EXPECT_EQ(add(u"localhost", group), 1379u);
    }
    // Characters 1 to 31 and these printable ones are refused; DEL, the C1
    // controls and byte-order marks are ordinary characters of a name.
    for (char16_t c : u"\"/\\[]:|<>+=;?*,\x01\x1f"s) {
        EXPECT_EQ(add(u"localhost", u"a"s + c + u"b"), 2202u) << int(c);
    }
    for (const std::u16string& name :
         {u""s, std::u16string(21, u'x'), u"..."s, u". ."s, u"name."s}) {
        EXPECT_EQ(add(u"localhost", name), 2202u) << name.size();
    }
    for (const std::u16string& name :
         {std::u16string(20, u'x'), u".a b"s, u"dave\x7f"s, u"a\x85"s, u"\uFEFFb"s}) {
        EXPECT_EQ(add(u"localhost", name), 0u) << name.size();
    }
    EXPECT_EQ(add(u"localhost", u"pw", std::u16string(257, u'p')), 2245u);
    EXPECT_EQ(add(u"localhost", u"pw", std::u16string(256, u'p')), 0u);
    EXPECT_EQ(add(u"localhost", u"level", u"", 1, 2), 124u);
    std::uint32_t parmError = 99;
    EXPECT_EQ(add(u"localhost", u"Kim", u"", 1, 1, &parmError), 0u);
    EXPECT_EQ(add(u"localhost", u"kIM", u"", 1, 1, &parmError), 2224u);
    EXPECT_EQ(parmError, 99u) << "the index is written with status 87 only";
    EXPECT_EQ(add(u"localhost", u"admin2", u"", 2, 1, &parmError), 87u);
    EXPECT_EQ(parmError, 5u);
}

TEST_F(MachineTest, KeepsNoPasswordInClear)
{
    const std::u16string password = u"Tr0ub4dor&3";
    ASSERT_EQ(add(u"localhost", u"lee", password), 0u);
    const emulated::Account& account = *machine().findAccount(QStringLiteral("LEE"));
    const QByteArray clear(reinterpret_cast<const char*>(password.data()),
                           qsizetype(password.size() * sizeof(char16_t)));
    EXPECT_FALSE(account.passwordHash.contains(clear) || account.passwordSalt.contains(clear));
    EXPECT_TRUE(machine().isPassword(QStringLiteral("lee"), QStringLiteral("Tr0ub4dor&3")));
    EXPECT_FALSE(machine().isPassword(QStringLiteral("lee"), QStringLiteral("Tr0ub4dor&")));
}

TEST_F(MachineTest, TheQuotaControlNamesAVolumeByItsLetter)
{
    for (const std::u16string path : {u"D:", u"d:\\", u"D:\\\\", u"c:\\\\\\"}) {
        EXPECT_EQ(failure([&] { quotaOn(path); }).first, 0u);
    }
    const std::u16string syntax =
        u"The filename, directory name, or volume label syntax is incorrect.";
    const std::pair<std::u16string, std::pair<std::uint32_t, std::u16string>> refused[] = {
        {u"Q:\\", {0x80070003, u"The system cannot find the path specified."}},
        {u"E:\\", {0x80070032, u"The request is not supported."}},
        {u"", {0x8007007B, syntax}},
        {u"D", {0x8007007B, syntax}},
        {u"C:\n", {0x8007007B, syntax}},
        {u"D:\\\n", {0x8007007B, syntax}},
        {u"\nD:", {0x8007007B, syntax}},
    };
    for (const auto& [path, expected] : refused) {
        EXPECT_EQ(failure([&] { quotaOn(path); }), expected) << path.size();
    }
    EXPECT_EQ(failure([] { platform::automation::CreateObject(u"Microsoft.DiskQuota.9"); }).first,
              0x800401F3u);
    const Object quota = quotaOn(u"D:");
    const std::u16string again = u"C:";
    EXPECT_EQ(failure([&] { quota->call(u"Reticulate", {}); }).first, 0x80020006u);
    EXPECT_EQ(failure([&] {
                  quota->call(u"Initialize", {TextRef(again), std::int16_t{1}});
              }).first,
              0x800704DFu);
}

TEST_F(MachineTest, QuotaEntriesAreForAccountsAndCountBytes)
{
    ASSERT_EQ(add(u"localhost", u"alice"), 0u);
    const Object quota = quotaOn(u"D:");
    const std::u16string here = machine().name().toStdU16String();
    for (const std::u16string& name : {u"alice"s, u"ALICE"s, here + u"\\Alice"}) {
        EXPECT_EQ(failure([&] { quota->call(u"AddUser", {TextRef(name)}); }).first, 0u);
    }
    for (const std::u16string& name : {u"nobody"s, u"OTHERHOST\\alice"s}) {
        EXPECT_EQ(failure([&] { quota->call(u"AddUser", {TextRef(name)}); }),
                  std::pair(0x80070534u,
                            u"No mapping between account names and security IDs was done."s));
    }
    const std::u16string alice = u"alice";
    const Object user = std::get<Object>(quota->call(u"AddUser", {TextRef(alice)}));
    user->set(u"QuotaLimit", 1048576.0);
    user->set(u"QuotaThreshold", 2097152.0);
    for (double bytes : {-2.0, 0.5, std::numeric_limits<double>::infinity(), std::nan("")}) {
        EXPECT_EQ(failure([&] { user->set(u"QuotaLimit", bytes); }),
                  std::pair(0x80070057u, u"The parameter is incorrect."s));
    }
    const emulated::QuotaEntry& entry = machine().volume(u'D')->entries.at(QStringLiteral("alice"));
    EXPECT_EQ(std::pair(entry.limit, entry.threshold), std::pair(1048576.0, 2097152.0));

    // Initialized for reading only, the control changes nothing.
    const Object readOnly = quotaOn(u"C:", 0);
    EXPECT_EQ(failure([&] { readOnly->set(u"LogQuotaThreshold", true); }),
              std::pair(0x80070005u, u"Access is denied."s));
    EXPECT_FALSE(machine().volume(u'C')->logsThreshold);
}

} // namespace
