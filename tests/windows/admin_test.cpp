// The routines on the system itself, here Wine's: its netapi32 keeps accounts
// in the process and it has no quota service.

#include "admin/mdlDiskQuota.h"
#include "platform/automation.h"
#include "tests/support/recorded_messages.h"

#include <gtest/gtest.h>
#include <string>
#include <windows.h>

namespace {

using testsupport::shownMessages;

class SystemAdminTest : public ::testing::Test
{
protected:
    void SetUp() override { shownMessages().clear(); }

    // The one message shown, checked to be the routines' failure box.
    std::u16string onlyMessage() const
    {
        EXPECT_EQ(shownMessages().size(), 1u);
        if (shownMessages().empty()) {
            return {};
        }
        EXPECT_EQ(shownMessages().front().style, platform::MessageStyle::Critical);
        EXPECT_EQ(shownMessages().front().title, mdlDiskQuota::kMessageTitle);
        return shownMessages().front().text;
    }
};

// This machine as an administrator names it: two backslashes and its name.
std::u16string localServerName()
{
    wchar_t name[MAX_COMPUTERNAME_LENGTH + 1];
    DWORD length = MAX_COMPUTERNAME_LENGTH + 1;
    EXPECT_TRUE(GetComputerNameW(name, &length));
    return u"\\\\" + std::u16string(name, name + length);
}

using CreateLocalUserTest = SystemAdminTest;

TEST_F(CreateLocalUserTest, NewAccountIsAddedWithoutMessage)
{
    EXPECT_EQ(mdlDiskQuota::CreateLocalUser(localServerName(), u"jsmith", u"Winter-2024"), 0);
    // Twenty characters is the longest name an account may have.
    EXPECT_EQ(mdlDiskQuota::CreateLocalUser(localServerName(), u"abcdefghijklmnopqrst", u"pw"), 0);
    EXPECT_TRUE(shownMessages().empty());
}

TEST_F(CreateLocalUserTest, EmptyServerNameIsAnInvalidServer)
{
    EXPECT_EQ(mdlDiskQuota::CreateLocalUser(u"", u"jsmith", u"Winter-2024"), 53);
    EXPECT_EQ(onlyMessage(), u"Errors occured (Invalid Server name)  when adding user jsmith");
}

TEST_F(CreateLocalUserTest, BackslashesAloneAreAnInvalidName)
{
    EXPECT_EQ(mdlDiskQuota::CreateLocalUser(u"\\\\", u"jsmith", u"Winter-2024"), 123);
    EXPECT_EQ(onlyMessage(), u"Error 123 in parameter 0 when adding user jsmith");
}

TEST_F(CreateLocalUserTest, NameOverTwentyCharactersIsRejected)
{
    const std::u16string name = u"abcdefghijklmnopqrstu";
    EXPECT_EQ(mdlDiskQuota::CreateLocalUser(localServerName(), name, u"Winter-2024"), 2202);
    EXPECT_EQ(onlyMessage(), u"Error 2202 in parameter 0 when adding user " + name);
}

using SetUserDiskQuotaTest = SystemAdminTest;

TEST_F(SetUserDiskQuotaTest, MissingQuotaServiceIsReportedOnce)
{
    std::u16string creationFailure;
    try {
        platform::automation::CreateObject(u"Microsoft.DiskQuota.1");
        FAIL() << "this machine has a quota service";
    } catch (const platform::automation::Error& error) {
        creationFailure = error.description();
    }
    ASSERT_FALSE(creationFailure.empty());

    EXPECT_FALSE(mdlDiskQuota::SetUserDiskQuota(u"C:\\", u"jsmith", 100, 90));
    EXPECT_EQ(onlyMessage(), creationFailure);
}

} // namespace
