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
    EXPECT_EQ(account->name, QStringLiteral("alice"));
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

TEST_F(CreateLocalUserTest, ReportsAnUnknownServer)
{
    EXPECT_EQ(mdlDiskQuota::CreateLocalUser(u"NOSUCHHOST", u"erin", u"x"), 53);
    EXPECT_EQ(onlyMessage(), u"Errors occured (Invalid Server name)  when adding user erin");
}

TEST_F(CreateLocalUserTest, ReportsAnExistingAccount)
{
    EXPECT_EQ(mdlDiskQuota::CreateLocalUser(server(), u"GUEST", u""), 2224);
    EXPECT_EQ(onlyMessage(), u"Errors occured (User already exist)  when adding user GUEST");
}

TEST_F(CreateLocalUserTest, ReportsOtherFailuresWithTheirStatusAndParameter)
{
    EXPECT_EQ(mdlDiskQuota::CreateLocalUser(server(), u"Users", u""), 1379);
    EXPECT_EQ(onlyMessage(), u"Error 1379 in parameter 0 when adding user Users");

    shownMessages().clear();
    machine().failNextUserAdd(87, 1);
    EXPECT_EQ(mdlDiskQuota::CreateLocalUser(server(), u"frank", u""), 87);
    EXPECT_EQ(onlyMessage(), u"Error 87 in parameter 1 when adding user frank");
}

TEST_F(CreateLocalUserTest, ReleasesBothBuffersWhenTheAccountIsRefused)
{
    EXPECT_EQ(mdlDiskQuota::CreateLocalUser(server(), u"bad|name", u"secret"), 2202);
    ASSERT_EQ(machine().buffers().size(), 2u);
    EXPECT_NE(machine().buffers()[0].releasedAs, 0u);
    EXPECT_TRUE(machine().buffers()[1].wipedBeforeRelease);
}

TEST_F(CreateLocalUserTest, AFailedAllocationIsReportedAndNothingIsAdded)
{
    machine().failNextAllocation(8);
    EXPECT_EQ(mdlDiskQuota::CreateLocalUser(server(), u"gina", u"secret"), 8);
    EXPECT_EQ(onlyMessage(), u"Error 8 in parameter 0 when adding user gina");
    EXPECT_TRUE(machine().buffers().empty());
    EXPECT_EQ(machine().findAccount(QStringLiteral("gina")), nullptr);
}

TEST_F(CreateLocalUserTest, AFailedPasswordAllocationReleasesTheNameBuffer)
{
    machine().failNextAllocation(5, 1);
    EXPECT_EQ(mdlDiskQuota::CreateLocalUser(server(), u"hank", u"secret"), 5);
    EXPECT_EQ(onlyMessage(), u"Error 5 in parameter 0 when adding user hank");
    ASSERT_EQ(machine().buffers().size(), 1u);
    EXPECT_NE(machine().buffers()[0].releasedAs, 0u);
    EXPECT_EQ(machine().findAccount(QStringLiteral("hank")), nullptr);
}

TEST_F(CreateLocalUserTest, AFailedAttemptCanBeRepeated)
{
    machine().failNextUserAdd(5);
    EXPECT_EQ(mdlDiskQuota::CreateLocalUser(server(), u"ivy", u"secret"), 5);
    EXPECT_EQ(mdlDiskQuota::CreateLocalUser(server(), u"ivy", u"secret"), 0);
    EXPECT_TRUE(machine().isPassword(QStringLiteral("ivy"), QStringLiteral("secret")));
}

} // namespace
