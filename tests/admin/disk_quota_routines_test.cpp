// The account and quota routines on the emulated machine, whose effects,
// buffers and objects they can see.

#include "admin/mdlDiskQuota.h"
#include "admin/terminated_text.h"
#include "platform/emulated/machine.h"
#include "platform/utf8.h"
#include "tests/support/recorded_messages.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <tuple>

namespace {

using namespace std::string_literals;
using emulated::Machine;
using mdlDiskQuota::CreateLocalUser;
using mdlDiskQuota::SetUserDiskQuota;
using testsupport::ShownMessages;
using testsupport::takeShownMessages;

class RoutinesTest : public ::testing::Test
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
        EXPECT_EQ(machine().liveObjects(), 0);
    }

    static Machine& machine() { return Machine::instance(); }
    static std::u16string here() { return machine().name().toStdU16String(); }
    static std::pair<double, double> aliceOnD()
    {
        const emulated::QuotaEntry& entry =
            machine().volume(u'D')->entries.at(QStringLiteral("alice"));
        return {entry.limit, entry.threshold};
    }
};

TEST_F(RoutinesTest, AddsAnOrdinaryUserThroughTwoTerminatedBuffers)
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

    // Each text and its terminator, name first.
    const auto& buffers = machine().buffers();
    ASSERT_EQ(buffers.size(), 2u);
    EXPECT_EQ(std::pair(buffers[0].byteCount, buffers[1].byteCount), std::pair(12u, 18u));
}

TEST_F(RoutinesTest, ReportsEachRefusalOnceInItsOwnWords)
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
        {u"\\\\", u"dave", u"pw", 123, u"Error 123 in parameter 0 when adding user dave"},
    };
    for (const Refusal& refusal : refusals) {
        EXPECT_EQ(CreateLocalUser(refusal.server, refusal.user, refusal.password), refusal.status);
        EXPECT_EQ(takeShownMessages(), ShownMessages{{refusal.message}});
    }
    EXPECT_EQ(machine().buffers().size(), 8u) << "two for each refusal that reached the machine";
    EXPECT_EQ(machine().accounts().size(), 3u);

    machine().failNextUserAdd(87, 1);
    EXPECT_EQ(CreateLocalUser(here(), u"frank", u""), 87);
    EXPECT_EQ(takeShownMessages(),
              ShownMessages{{u"Error 87 in parameter 1 when adding user frank"}});
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

TEST_F(RoutinesTest, SetsLimitAndWarningLevelInBytesAndSwitchesOnLogging)
{
    struct Quota
    {
        std::int32_t limit, warning;
        std::pair<double, double> bytes;
    };
    const Quota quotas[] = {
        {1, 1, {1048576.0, 1048576.0}},
        // A warning level above the limit goes over as it is.
        {0, 7, {0.0, 7340032.0}},
        // 2^31 - 1 megabytes is 2^51 - 2^20 bytes, which a double holds exactly.
        {std::numeric_limits<std::int32_t>::max(),
         5,
         {std::ldexp(1.0, 51) - std::ldexp(1.0, 20), 5242880.0}},
        // A negative count: the service's value for no limit.
        {-1, -7, {-1.0, -1.0}},
    };
    ASSERT_EQ(CreateLocalUser(here(), u"alice", u""), 0);
    for (const Quota& quota : quotas) {
        EXPECT_TRUE(SetUserDiskQuota(u"D:\\\\", u"alice", quota.limit, quota.warning));
        EXPECT_EQ(aliceOnD(), quota.bytes);
    }
    EXPECT_TRUE(machine().volume(u'D')->logsThreshold);
    EXPECT_TRUE(takeShownMessages().empty());
}

TEST_F(RoutinesTest, AFailureAnywhereIsShownByItsDescriptionOrItsCode)
{
    ASSERT_EQ(CreateLocalUser(here(), u"alice", u""), 0);
    machine().failNextCreation(static_cast<std::int32_t>(0x80040154));
    EXPECT_FALSE(SetUserDiskQuota(u"D:", u"alice", 1, 1));
    machine().failNextUse(QStringLiteral("QuotaThreshold"), static_cast<std::int32_t>(0x80070005));
    EXPECT_FALSE(SetUserDiskQuota(u"D:", u"alice", 7, 6));
    EXPECT_EQ(takeShownMessages(),
              (ShownMessages{{u"Automation error 0x80040154"}, {u"Access is denied."}}));
}

// The text of a standard exception, the one error the routine traps besides
// the automation's, is UTF-8.
TEST(Utf8Test, DecodesEveryCharacterAndMarksWhatIsNone)
{
    EXPECT_EQ(platform::fromUtf8("Zu wenig Speicher f\xC3\xBCr \xE2\x82\xAC \xF0\x9F\x92\xBE"),
              u"Zu wenig Speicher f\u00FCr \u20AC \U0001F4BE");
    EXPECT_EQ(platform::fromUtf8("\xC3(\xE2\x82\xC0\x80\xED\xA0\x80"),
              u"\uFFFD(\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD");
    EXPECT_EQ(platform::toUtf8(u"f\u00FCr \U0001F4BE"), "f\xC3\xBCr \xF0\x9F\x92\xBE");
}

} // namespace
