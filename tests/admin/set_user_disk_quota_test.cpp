#include "admin/mdlDiskQuota.h"
#include "platform/emulated/machine.h"
#include "platform/utf8.h"
#include "tests/support/recorded_messages.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>

namespace {

using emulated::Machine;
using mdlDiskQuota::SetUserDiskQuota;
using testsupport::ShownMessages;
using testsupport::takeShownMessages;

class SetUserDiskQuotaTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        machine().reset();
        ASSERT_EQ(mdlDiskQuota::CreateLocalUser(u"localhost", u"alice", u""), 0);
        takeShownMessages();
    }

    void TearDown() override { EXPECT_EQ(machine().liveObjects(), 0); }

    static Machine& machine() { return Machine::instance(); }
    static std::pair<double, double> aliceOnD()
    {
        const emulated::QuotaEntry& entry =
            machine().volume(u'D')->entries.at(QStringLiteral("alice"));
        return {entry.limit, entry.threshold};
    }
};

TEST_F(SetUserDiskQuotaTest, SetsLimitAndWarningLevelInBytesAndSwitchesOnLogging)
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
    for (const Quota& quota : quotas) {
        EXPECT_TRUE(SetUserDiskQuota(u"D:\\\\", u"alice", quota.limit, quota.warning));
        EXPECT_EQ(aliceOnD(), quota.bytes);
    }
    EXPECT_TRUE(machine().volume(u'D')->logsThreshold);
    EXPECT_TRUE(takeShownMessages().empty());
}

TEST_F(SetUserDiskQuotaTest, AFailureIsShownByItsDescriptionAndSkipsTheRest)
{
    EXPECT_FALSE(SetUserDiskQuota(u"E:\\", u"alice", 1, 1));
    EXPECT_FALSE(SetUserDiskQuota(u"D:", u"nobody", 1, 1));
    EXPECT_FALSE(machine().volume(u'D')->logsThreshold) << "AddUser failed before logging";
    machine().failNextCreation(static_cast<std::int32_t>(0x80040154));
    EXPECT_FALSE(SetUserDiskQuota(u"D:", u"alice", 1, 1));
    machine().failNextUse(QStringLiteral("QuotaThreshold"), static_cast<std::int32_t>(0x80070005));
    EXPECT_FALSE(SetUserDiskQuota(u"D:", u"alice", 7, 6));
    EXPECT_EQ(aliceOnD(), std::pair(7 * 1048576.0, -1.0)) << "earlier steps stay applied";

    EXPECT_EQ(takeShownMessages(),
              (ShownMessages{{u"The request is not supported."},
                             {u"No mapping between account names and security IDs was done."},
                             {u"Automation error 0x80040154"},
                             {u"Access is denied."}}));
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
