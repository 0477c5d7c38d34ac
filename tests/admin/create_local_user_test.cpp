#include "admin/mdlDiskQuota.h"
#include "admin/terminated_text.h"
#include "platform/emulated/machine.h"
#include "tests/support/recorded_messages.h"

#include <gtest/gtest.h>
#include <tuple>

namespace {

using namespace std::string_literals;
using emulated::Machine;
using mdlDiskQuota::CreateLocalUser;
using testsupport::ShownMessages;
using testsupport::takeShownMessages;

class CreateLocalUserTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        machine().reset();
        takeShownMessages();
    }

    void TearDown() override
    {
        EXPECT_EQ(machine().outstandingBuffers(), 0u);
        for (const emulated::BufferRecord& buffer : machine().buffers()) {
            EXPECT_TRUE(buffer.wipedBeforeRelease);
        }
    }

    static Machine& machine() { return Machine::instance(); }
    static std::u16string here() { return machine().name().toStdU16String(); }
};

TEST_F(CreateLocalUserTest, AddsAnOrdinaryUserThroughTwoTerminatedBuffers)
{
    EXPECT_EQ(CreateLocalUser(u"\\\\" + machine().name().toUpper().toStdU16String(), u"alice",
                              u"Secret 1"),
              0);
    EXPECT_TRUE(takeShownMessages().empty());
    const emulated::Account* account = machine().findAccount(QStringLiteral("alice"));
    ASSERT_NE(account, nullptr);
    EXPECT_EQ(std::tuple(account->privilege, account->flags, account->passwordAge),
              std::tuple(1u, 0x200u, 3u));
    EXPECT_TRUE(account->homeDirectory.isNull() && account->comment.isNull() &&
                account->scriptPath.isNull());
    EXPECT_TRUE(machine().isPassword(QStringLiteral("alice"), QStringLiteral("Secret 1")));
    EXPECT_FALSE(machine().isPassword(QStringLiteral("alice"), QStringLiteral("secret 1")));

    // Each text and its terminator, name first, released in the order taken.
    const auto& buffers = machine().buffers();
    ASSERT_EQ(buffers.size(), 2u);
    EXPECT_EQ(std::tuple(buffers[0].byteCount, buffers[0].releasedAs), std::tuple(12u, 1u));
    EXPECT_EQ(std::tuple(buffers[1].byteCount, buffers[1].releasedAs), std::tuple(18u, 2u));
}

TEST_F(CreateLocalUserTest, ReportsEachRefusalOnceInItsOwnWords)
{
    struct Refusal
    {
        std::u16string server, user, password;
        std::int32_t status;
        std::u16string message;
    };
    // A NUL inside a text would have the platform read it cut short, under
    // another name: such texts are refused before anything is allocated.
    const Refusal refusals[] = {
        {u"localhost", u"nul\0x"s, u"pw", 87, u"Error 87 in parameter 0 when adding user nul\0x"s},
        {u"localhost", u"nul", u"pw\0x"s, 87, u"Error 87 in parameter 0 when adding user nul"},
        {u"localhost\0x"s, u"nul", u"pw", 87, u"Error 87 in parameter 0 when adding user nul"},
        {u"NOSUCHHOST", u"erin", u"pw", 53,
         u"Errors occured (Invalid Server name)  when adding user erin"},
        {here(), u"GUEST", u"pw", 2224,
         u"Errors occured (User already exist)  when adding user GUEST"},
        {u"", u"erin", u"pw", 53, u"Errors occured (Invalid Server name)  when adding user erin"},
        {u"\\" + here(), u"dave", u"pw", 123, u"Error 123 in parameter 0 when adding user dave"},
        {u"\\\\", u"dave", u"pw", 123, u"Error 123 in parameter 0 when adding user dave"},
    };
    for (const Refusal& refusal : refusals) {
        EXPECT_EQ(CreateLocalUser(refusal.server, refusal.user, refusal.password), refusal.status);
        EXPECT_EQ(takeShownMessages(), ShownMessages{{refusal.message}});
    }
    EXPECT_EQ(machine().buffers().size(), 10u) << "two for each refusal that reached the machine";
    EXPECT_EQ(machine().accounts().size(), 3u);

    machine().failNextUserAdd(87, 1);
    EXPECT_EQ(CreateLocalUser(here(), u"frank", u""), 87);
    EXPECT_EQ(takeShownMessages(),
              ShownMessages{{u"Error 87 in parameter 1 when adding user frank"}});
}

TEST_F(CreateLocalUserTest, AFailedAllocationIsReportedAndNothingIsCopied)
{
    machine().failNextAllocation(8);
    EXPECT_EQ(CreateLocalUser(here(), u"gina", u"secret"), 8);
    machine().failNextAllocation(5, 1); // the password's, after the name's
    EXPECT_EQ(CreateLocalUser(here(), u"gina", u"secret"), 5);
    EXPECT_EQ(takeShownMessages(),
              (ShownMessages{{u"Error 8 in parameter 0 when adding user gina"},
                             {u"Error 5 in parameter 0 when adding user gina"}}));
    ASSERT_EQ(machine().buffers().size(), 1u);
    EXPECT_EQ(machine().findAccount(QStringLiteral("gina")), nullptr);
}

TEST(TerminatedByteCountTest, CountsTheTerminatorAndRefusesWhatWouldWrap)
{
    using mdlDiskQuota::TerminatedByteCount;
    EXPECT_EQ(TerminatedByteCount(0), 2u);
    EXPECT_EQ(TerminatedByteCount(1), 4u);
    // 2^31 - 1 characters and the terminator would take 2^32 bytes.
    EXPECT_EQ(TerminatedByteCount(2147483646), 4294967294u);
    EXPECT_EQ(TerminatedByteCount(2147483647), std::nullopt);
    EXPECT_EQ(TerminatedByteCount(std::size_t{1} << 63), std::nullopt);
}

} // namespace
