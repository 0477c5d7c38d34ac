#include "platform/emulated/machine.h"
#include "platform/netapi.h"

#include <gtest/gtest.h>
#include <string>

namespace {

using emulated::Machine;

class AccountDatabaseTest : public ::testing::Test
{
protected:
    void SetUp() override { machine().reset(); }

    static Machine& machine() { return Machine::instance(); }
    static std::u16string here() { return machine().name().toStdU16String(); }

    // Adds an ordinary user the way the network API is called.
    static platform::NET_API_STATUS add(const std::u16string& server, std::u16string name,
                                        std::u16string password = u"",
                                        std::uint32_t privilege = platform::USER_PRIV_USER,
                                        std::uint32_t level = 1, std::uint32_t* parmError = nullptr)
    {
        platform::USER_INFO_1 record{};
        record.usri1_name = name.data();
        record.usri1_password = password.data();
        record.usri1_priv = privilege;
        record.usri1_flags = platform::UF_NORMAL_ACCOUNT;
        return platform::NetUserAdd(server.c_str(), level, &record, parmError);
    }
};

TEST_F(AccountDatabaseTest, AnswersToItsOwnNamesOnly)
{
    std::u16string upper = here();
    for (char16_t& c : upper) {
        c = (c >= u'a' && c <= u'z') ? char16_t(c - u'a' + u'A') : c;
    }
    EXPECT_EQ(add(upper, u"u1"), 0u);
    EXPECT_EQ(add(u"\\\\" + here(), u"u2"), 0u);
    EXPECT_EQ(add(u"LocalHost", u"u3"), 0u);
    EXPECT_EQ(add(u"\\\\127.0.0.1", u"u4"), 0u);

    EXPECT_EQ(add(u"elsewhere", u"u5"), 53u);
    EXPECT_EQ(add(u"", u"u5"), 53u);
    EXPECT_EQ(add(u"\\\\", u"u5"), 123u);
    EXPECT_EQ(add(u"\\", u"u5"), 123u);
    EXPECT_EQ(add(u"\\localhost", u"u5"), 123u);
    EXPECT_EQ(machine().findAccount(QStringLiteral("u5")), nullptr);
}

TEST_F(AccountDatabaseTest, NamesAreUniqueAcrossAccountsAndGroupsWhateverTheirCase)
{
    for (const char16_t* builtIn : {u"administrator", u"GUEST", u"DefaultAccount"}) {
        EXPECT_EQ(add(u"localhost", builtIn), 2224u);
    }
    for (const char16_t* group : {u"ADMINISTRATORS", u"users", u"Guests"}) {
        EXPECT_EQ(add(u"localhost", group), 1379u);
    }
    EXPECT_EQ(add(u"localhost", u"Kim"), 0u);
    EXPECT_EQ(add(u"localhost", u"kIM"), 2224u);
}

TEST_F(AccountDatabaseTest, RefusesInvalidUserNames)
{
    for (char16_t forbidden : std::u16string_view(u"\"/\\[]:|<>+=;?*,\x01\x1f")) {
        EXPECT_EQ(add(u"localhost", std::u16string(u"a") + forbidden + u"b"), 2202u)
            << int(forbidden);
    }
    for (const std::u16string& name :
         {std::u16string(), std::u16string(21, u'x'), std::u16string(u"..."),
          std::u16string(u". ."), std::u16string(u"name.")}) {
        EXPECT_EQ(add(u"localhost", name), 2202u) << name.size();
    }
    EXPECT_EQ(add(u"localhost", std::u16string(20, u'x')), 0u);
    EXPECT_EQ(add(u"localhost", u".a b"), 0u);
}

TEST_F(AccountDatabaseTest, RefusesBadRecords)
{
    EXPECT_EQ(add(u"localhost", u"toolong", std::u16string(257, u'p')), 2245u);
    EXPECT_EQ(add(u"localhost", u"longest", std::u16string(256, u'p')), 0u);
    EXPECT_EQ(add(u"localhost", u"level", u"", 1, 2), 124u);

    std::uint32_t parmError = 99;
    EXPECT_EQ(add(u"localhost", u"admin2", u"", 2, 1, &parmError), 87u);
    EXPECT_EQ(parmError, 5u);

    parmError = 99;
    EXPECT_EQ(add(u"localhost", u"Guest", u"", 1, 1, &parmError), 2224u);
    EXPECT_EQ(parmError, 99u) << "the error index is written with status 87 only";
}

TEST_F(AccountDatabaseTest, KeepsNoPasswordInClear)
{
    const std::u16string password = u"Tr0ub4dor&3";
    ASSERT_EQ(add(u"localhost", u"lee", password), 0u);

    const emulated::Account* account = machine().findAccount(QStringLiteral("LEE"));
    ASSERT_NE(account, nullptr);
    const QByteArray clear(reinterpret_cast<const char*>(password.data()),
                           qsizetype(password.size() * sizeof(char16_t)));
    EXPECT_FALSE(account->passwordHash.contains(clear));
    EXPECT_FALSE(account->passwordSalt.contains(clear));
    EXPECT_TRUE(machine().isPassword(QStringLiteral("lee"), QStringLiteral("Tr0ub4dor&3")));
    EXPECT_FALSE(machine().isPassword(QStringLiteral("lee"), QStringLiteral("Tr0ub4dor&")));
    EXPECT_FALSE(machine().isPassword(QStringLiteral("Guest"), QString()));
}

TEST_F(AccountDatabaseTest, CountsOutstandingBuffersAndFailsOnRequest)
{
    void* first = nullptr;
    void* second = nullptr;
    ASSERT_EQ(platform::NetApiBufferAllocate(6, &first), 0u);
    machine().failNextAllocation(5);
    EXPECT_EQ(platform::NetApiBufferAllocate(6, &second), 5u);
    EXPECT_EQ(second, nullptr);
    EXPECT_EQ(machine().outstandingBuffers(), 1u);
    EXPECT_EQ(platform::NetApiBufferFree(first), 0u);
    EXPECT_EQ(machine().outstandingBuffers(), 0u);
    EXPECT_EQ(platform::NetApiBufferFree(first), 87u) << "a buffer is freed once";

    machine().failNextUserAdd(5);
    EXPECT_EQ(add(u"localhost", u"nora"), 5u);
    EXPECT_EQ(add(u"localhost", u"nora"), 0u);
}

} // namespace
