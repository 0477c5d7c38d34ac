// The account and quota routines on the emulated machine, which lets the tests
// see the accounts, quotas, buffers and objects they leave behind. (How each
// quota turns into bytes, the fuzz target's corpus tries.)

#include "admin/mdlDiskQuota.h"
#include "admin/terminated_text.h"
#include "tests/support/machine_probe.h"
#include "tests/support/recorded_messages.h"

#include <gtest/gtest.h>
#include <tuple>

namespace {

using namespace std::string_literals;
using namespace Qt::StringLiterals;
using Text = std::u16string;
using emulated::Machine, emulated::MachineProbe;
using mdlDiskQuota::CreateLocalUser, mdlDiskQuota::SetUserDiskQuota;
using testsupport::ShownMessages, testsupport::takeShownMessages;

class RoutinesTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        MachineProbe::reset();
        takeShownMessages();
    }
    void TearDown() override { EXPECT_TRUE(MachineProbe::leftNothingBehind()); }
    static std::u16string here() { return Machine::instance().name().toStdU16String(); }
};

TEST_F(RoutinesTest, ReportsEachRefusalOfTheMachineOnceInItsOwnWords)
{
    // A NUL inside the server's name would have the platform read it cut
    // short, another machine's name. (The fuzz inputs hold the user name and
    // password to it.)
    const std::tuple<const char*, Text, Text, std::int32_t, Text> refusals[] = {
        {"NUL in server", u"localhost\0x"s, u"nul", 87, u"Error 87 in parameter 0"},
        {"existing account, other case", here(), u"GUEST", 2224,
         u"Errors occured (User already exist) "},
        {"server of backslashes only", u"\\\\", u"dave", 123, u"Error 123 in parameter 0"},
    };
    for (const auto& [what, server, user, status, cause] : refusals) {
        SCOPED_TRACE(what);
        EXPECT_EQ(CreateLocalUser(server, user, u"pw"), status);
        EXPECT_EQ(takeShownMessages(), ShownMessages{{cause + u" when adding user " + user}});
    }
    MachineProbe::failNextUserAdd(87, 1);
    EXPECT_EQ(CreateLocalUser(here(), u"frank", u""), 87);
    EXPECT_EQ(takeShownMessages(),
              ShownMessages{{u"Error 87 in parameter 1 when adding user frank"}});

    // Names and passwords as Windows refuses them: characters 1 to 31 are
    // refused; DEL, the C1 controls and byte-order marks are ordinary
    // characters of a name.
    for (const Text& name :
         {u""s, Text(21, u'x'), u"..."s, u". ."s, u"name."s, u"a\x01"s, u"a\x1f"s}) {
        EXPECT_EQ(CreateLocalUser(u"localhost", name, u""), 2202) << testing::PrintToString(name);
    }
    for (char16_t c : u"\"/\\[]:|<>+=;?*,"s) {
        EXPECT_EQ(CreateLocalUser(u"localhost", u"a"s + c, u""), 2202) << char(c);
    }
    for (const Text& name : {Text(20, u'x'), u".a b"s, u"dave\x7f"s, u"a\x85"s, u"\uFEFFb"s}) {
        EXPECT_EQ(CreateLocalUser(u"localhost", name, u""), 0) << testing::PrintToString(name);
    }
    EXPECT_EQ(CreateLocalUser(u"localhost", u"users", u""), 1379) << "an existing group";
    EXPECT_EQ(CreateLocalUser(u"localhost", u"pw1", Text(257, u'p')), 2245);
    EXPECT_EQ(CreateLocalUser(u"localhost", u"pw2", Text(256, u'p')), 0);
    EXPECT_EQ(MachineProbe::computers().front().accounts.size(), 3u + 6u);
}

TEST_F(RoutinesTest, QualifiesTheNameWithTheDomainTheServerGivesOrElseWithTheServersName)
{
    // Where the lookup fails, the server is this machine by any of its names,
    // in any case and with any backslashes, or is named as typed without them.
    const Text host = here(),
               upper = u"\\\\" + Machine::instance().name().toUpper().toStdU16String();
    ASSERT_EQ(CreateLocalUser(u"CORPDC", u"alice", u""), 0);
    const std::tuple<Text, Text, bool, Text> names[] = {
        {u"localhost", u"alice", false, u"CORP\\alice"},
        {upper, u"alice", true, host + u"\\alice"},
        {u"LocalHost", u"alice", true, host + u"\\alice"},
        {u"127.0.0.1", u"alice", true, host + u"\\alice"},
        {u"CORPDC", u"alice", true, u"CORPDC\\alice"},
        {u"\\\\FILESRV", u"alice", false, u"FILESRV\\alice"},
        {u"\\\\CorpDC", u"Everyone", false, u"CorpDC\\Everyone"},
    };
    for (const auto& [server, user, lookupFails, qualified] : names) {
        SCOPED_TRACE(testing::PrintToString(server));
        if (lookupFails) {
            MachineProbe::failNextLookup();
        }
        EXPECT_EQ(mdlDiskQuota::QualifiedUserName(server, user), qualified);
    }
}

// A length whose bytes would wrap the API's 32 bits is refused.
static_assert(mdlDiskQuota::TerminatedByteCount(2147483646) == 4294967294u);
static_assert(!mdlDiskQuota::TerminatedByteCount(2147483647));

TEST_F(RoutinesTest, AFailureIsShownAndStopsTheStepsAfterIt)
{
    ASSERT_EQ(CreateLocalUser(here(), u"alice", u""), 0);
    emulated::Volume& volumeD = *Machine::instance().volume(u'D');
    void (*const none)() = [] {};
    const std::tuple<const char*, void (*)(), Text, Text, bool> failures[] = {
        {"no object, shown by its code",
         [] { MachineProbe::failNextCreation(std::int32_t(0x80040154)); }, u"D:",
         u"Automation error 0x80040154", false},
        {"no quotas", none, u"E:", u"The request is not supported.", false},
        {"no such volume", none, u"Q:", u"The system cannot find the path specified.", false},
        {"the last step fails, after logging",
         [] { MachineProbe::failNextUse(u"QuotaThreshold"_s, std::int32_t(0x80070005)); }, u"D:",
         u"Access is denied.", true},
    };
    for (const auto& [what, arrange, volume, message, logging] : failures) {
        SCOPED_TRACE(what);
        arrange();
        EXPECT_FALSE(SetUserDiskQuota(volume, u"alice", 7, 6));
        EXPECT_EQ(takeShownMessages(), ShownMessages{{message}});
        EXPECT_EQ(volumeD.logsThreshold, logging);
    }
    // The limit was set before the warning level failed; nothing else was.
    const emulated::QuotaEntry& alice =
        volumeD.entries.at(Machine::instance().name() + u"\\alice"_s);
    EXPECT_EQ(std::pair(alice.limit, alice.threshold), std::pair(7340032.0, -1.0));
    EXPECT_EQ(volumeD.entries.size(), 1u);
}

} // namespace
