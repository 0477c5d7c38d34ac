#include "admin/mdlDiskQuota.h"
#include "platform/emulated/machine.h"
#include "tests/support/recorded_messages.h"

#include <gtest/gtest.h>

namespace {

using emulated::Machine;
using testsupport::shownMessages;

class CreateLocalUserTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Machine::instance().reset();
        shownMessages().clear();
    }

    void TearDown() override { EXPECT_EQ(machine().outstandingBuffers(), 0u); }

    static Machine& machine() { return Machine::instance(); }
    static std::u16string server() { return machine().name().toStdU16String(); }

    static std::u16string onlyMessage()
    {
        EXPECT_EQ(shownMessages().size(), 1u);
        if (shownMessages().empty()) {
            return {};
        }
        EXPECT_EQ(shownMessages()[0].style, platform::MessageStyle::Critical);
        EXPECT_EQ(shownMessages()[0].title, u"Local Users and Groups");
        return shownMessages()[0].text;
    }
};

TEST_F(CreateLocalUserTest, CreatesAnOrdinaryUserWithoutAMessage)
{
    EXPECT_EQ(mdlDiskQuota::CreateLocalUser(server(), u"alice", u"Secret 1"), 0);

    EXPECT_TRUE(shownMessages().empty());
    const emulated::Account* account = machine().findAccount(QStringLiteral("alice"));
    ASSERT_NE(account, nullptr);
    EXPECT_EQ(account->privilege, 1u);
    EXPECT_EQ(account->flags, 0x200u);
    EXPECT_EQ(account->passwordAge, 3u);
    EXPECT_TRUE(account->homeDirectory.isEmpty());
    EXPECT_TRUE(account->comment.isEmpty());
    EXPECT_TRUE(account->scriptPath.isEmpty());
    EXPECT_TRUE(machine().isPassword(QStringLiteral("alice"), QStringLiteral("Secret 1")));
    EXPECT_FALSE(machine().isPassword(QStringLiteral("alice"), QStringLiteral("secret 1")));
}

TEST_F(CreateLocalUserTest, PassesTheServerNameAsGiven)
{
    EXPECT_EQ(mdlDiskQuota::CreateLocalUser(u"\\\\" + server(), u"bob", u""), 0);
    EXPECT_EQ(mdlDiskQuota::CreateLocalUser(u"localhost", u"carol", u""), 0);
    EXPECT_EQ(mdlDiskQuota::CreateLocalUser(u"\\" + server(), u"dave", u""), 123);
    EXPECT_EQ(machine().findAccount(QStringLiteral("dave")), nullptr);
}

TEST_F(CreateLocalUserTest, BuffersHoldTheTerminatedTextsAndAreWipedAndReleasedInOrder)
{
    ASSERT_EQ(mdlDiskQuota::CreateLocalUser(server(), u"a", u"pass"), 0);

    const auto& buffers = machine().buffers();
    ASSERT_EQ(buffers.size(), 2u);
    EXPECT_EQ(buffers[0].byteCount, 4u);  // "a" and its terminator
    EXPECT_EQ(buffers[1].byteCount, 10u); // "pass" and its terminator
    EXPECT_EQ(buffers[0].releasedAs, 1u);
    EXPECT_EQ(buffers[1].releasedAs, 2u);
    EXPECT_TRUE(buffers[1].wipedBeforeRelease);
}

TEST_F(CreateLocalUserTest, ReportsEachRefusalOnceInItsOwnWords)
{
    struct Refusal
    {
        std::u16string server;
        std::u16string user;
        std::int32_t status;
        std::u16string message;
    };
    const Refusal refusals[] = {
        {u"NOSUCHHOST", u"erin", 53,
         u"Errors occured (Invalid Server name)  when adding user erin"},
        {server(), u"GUEST", 2224, u"Errors occured (User already exist)  when adding user GUEST"},
        {server(), u"Users", 1379, u"Error 1379 in parameter 0 when adding user Users"},
        {server(), u"bad|name", 2202, u"Error 2202 in parameter 0 when adding user bad|name"},
    };
    for (const Refusal& refusal : refusals) {
        shownMessages().clear();
        EXPECT_EQ(mdlDiskQuota::CreateLocalUser(refusal.server, refusal.user, u"secret"),
                  refusal.status);
        EXPECT_EQ(onlyMessage(), refusal.message);
    }
    // The password buffer of every attempt was wiped before its release.
    for (std::size_t i = 1; i < machine().buffers().size(); i += 2) {
        EXPECT_TRUE(machine().buffers()[i].wipedBeforeRelease) << i;
    }

    shownMessages().clear();
    machine().failNextUserAdd(87, 1);
    EXPECT_EQ(mdlDiskQuota::CreateLocalUser(server(), u"frank", u""), 87);
    EXPECT_EQ(onlyMessage(), u"Error 87 in parameter 1 when adding user frank");
}

TEST_F(CreateLocalUserTest, AFailedAllocationIsReportedAndNothingIsAdded)
{
    machine().failNextAllocation(8);
    EXPECT_EQ(mdlDiskQuota::CreateLocalUser(server(), u"gina", u"secret"), 8);
    EXPECT_EQ(onlyMessage(), u"Error 8 in parameter 0 when adding user gina");
    EXPECT_TRUE(machine().buffers().empty());

    // The password's allocation fails after the name's succeeded.
    shownMessages().clear();
    machine().failNextAllocation(5, 1);
    EXPECT_EQ(mdlDiskQuota::CreateLocalUser(server(), u"gina", u"secret"), 5);
    EXPECT_EQ(onlyMessage(), u"Error 5 in parameter 0 when adding user gina");
    ASSERT_EQ(machine().buffers().size(), 1u);
    EXPECT_NE(machine().buffers()[0].releasedAs, 0u);
    EXPECT_EQ(machine().findAccount(QStringLiteral("gina")), nullptr);
}

} // namespace
