#include "admin/mdlDiskQuota.h"
#include "tests/support/recorded_messages.h"
#include "tests/support/recording_automation.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>

namespace {

using testsupport::AutomationCall;
using testsupport::RecordedValue;
using testsupport::recordingAutomation;
using testsupport::shownMessages;
using testsupport::TextArgument;

class SetUserDiskQuotaTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        recordingAutomation() = {};
        shownMessages().clear();
    }

    void TearDown() override { EXPECT_EQ(recordingAutomation().liveObjects, 0); }

    static const std::vector<AutomationCall>& calls() { return recordingAutomation().calls; }

    static std::vector<std::u16string> members()
    {
        std::vector<std::u16string> names;
        for (const AutomationCall& call : calls()) {
            names.push_back(call.member);
        }
        return names;
    }

    // The bytes the two property puts on the user entry received.
    static std::pair<double, double> limitAndThreshold()
    {
        EXPECT_EQ(calls().size(), 5u);
        if (calls().size() != 5u) {
            return {std::nan(""), std::nan("")};
        }
        return {std::get<double>(calls()[3].arguments.at(0)),
                std::get<double>(calls()[4].arguments.at(0))};
    }
};

TEST_F(SetUserDiskQuotaTest, DrivesTheQuotaObjectMemberByMemberInOrder)
{
    EXPECT_TRUE(mdlDiskQuota::SetUserDiskQuota(u"D:\\\\", u"alice", 1, 1));

    EXPECT_EQ(recordingAutomation().createdProgIds,
              std::vector<std::u16string>{u"Microsoft.DiskQuota.1"});
    ASSERT_EQ(members(),
              (std::vector<std::u16string>{u"Initialize", u"AddUser", u"LogQuotaThreshold",
                                           u"QuotaLimit", u"QuotaThreshold"}));
    const std::string objects[] = {"control", "control", "control", "user", "user"};
    const bool puts[] = {false, false, true, true, true};
    for (std::size_t i = 0; i < calls().size(); ++i) {
        EXPECT_EQ(calls()[i].object, objects[i]) << i;
        EXPECT_EQ(calls()[i].isPropertyPut, puts[i]) << i;
    }
    EXPECT_EQ(calls()[0].arguments,
              (std::vector<RecordedValue>{TextArgument{u"D:\\\\"}, std::int16_t{1}}));
    EXPECT_EQ(calls()[1].arguments, std::vector<RecordedValue>{TextArgument{u"alice"}});
    EXPECT_EQ(calls()[2].arguments, std::vector<RecordedValue>{true});
    EXPECT_EQ(limitAndThreshold(), std::make_pair(1048576.0, 1048576.0));
    EXPECT_TRUE(shownMessages().empty());
}

TEST_F(SetUserDiskQuotaTest, ConvertsMegabytesToBytesExactly)
{
    struct Conversion
    {
        std::int32_t limit, warning;
        double limitBytes, warningBytes;
    };
    const Conversion conversions[] = {
        {0, 0, 0.0, 0.0},
        // 2^31 - 1 megabytes is 2^51 - 2^20 bytes, which a double holds exactly;
        // a warning level above the limit goes over as it is.
        {std::numeric_limits<std::int32_t>::max(), 5, std::ldexp(1.0, 51) - std::ldexp(1.0, 20),
         5242880.0},
        {100, 200, 104857600.0, 209715200.0},
        // A negative count: the service's value for no limit.
        {-1, -7, -1.0, -1.0},
    };
    for (const Conversion& conversion : conversions) {
        recordingAutomation() = {};
        EXPECT_TRUE(
            mdlDiskQuota::SetUserDiskQuota(u"C:", u"bob", conversion.limit, conversion.warning));
        EXPECT_EQ(limitAndThreshold(),
                  std::make_pair(conversion.limitBytes, conversion.warningBytes));
    }
    EXPECT_TRUE(shownMessages().empty());
}

TEST_F(SetUserDiskQuotaTest, AFailureIsShownOnceAndSkipsTheRest)
{
    const std::pair<const char16_t*, std::size_t> failures[] = {
        {u"CreateObject", 0},      {u"Initialize", 1}, {u"AddUser", 2},
        {u"LogQuotaThreshold", 3}, {u"QuotaLimit", 4}, {u"QuotaThreshold", 5}};
    for (const auto& [member, callsMade] : failures) {
        SCOPED_TRACE(callsMade);
        recordingAutomation() = {};
        shownMessages().clear();
        recordingAutomation().failingMember = member;
        recordingAutomation().failureDescription = u"The device is not ready.";

        EXPECT_FALSE(mdlDiskQuota::SetUserDiskQuota(u"D:", u"dave", 10, 8));

        EXPECT_EQ(calls().size(), callsMade);
        ASSERT_EQ(shownMessages().size(), 1u);
        EXPECT_EQ(shownMessages()[0].text, u"The device is not ready.");
        EXPECT_EQ(shownMessages()[0].style, platform::MessageStyle::Critical);
        EXPECT_EQ(shownMessages()[0].title, u"Local Users and Groups");
        EXPECT_EQ(recordingAutomation().liveObjects, 0);
    }
}

} // namespace
