// The account and quota routines on the emulated machine, which lets the tests
// see the accounts, quotas, buffers and objects they leave behind.

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

const Text kSyntax = u"The filename, directory name, or volume label syntax is incorrect.";

class RoutinesTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        MachineProbe::reset();
        takeShownMessages();
    }
    void TearDown() override
    {
        EXPECT_EQ(MachineProbe::outstandingBuffers(), 0u);
        for (const emulated::BufferRecord& buffer : MachineProbe::buffers()) {
            EXPECT_TRUE(buffer.wipedBeforeRelease);
        }
        EXPECT_EQ(MachineProbe::liveObjects(), 0);
    }
    static std::u16string here() { return Machine::instance().name().toStdU16String(); }
    static emulated::Volume& volumeD() { return *Machine::instance().volume(u'D'); }
    static std::pair<double, double> aliceOnD()
    {
        const emulated::QuotaEntry& entry =
            volumeD().entries.at(Machine::instance().name() + u"\\alice"_s);
        return {entry.limit, entry.threshold};
    }
};

TEST_F(RoutinesTest, AddsAnOrdinaryUserThroughTwoTerminatedBuffers)
{
    EXPECT_EQ(CreateLocalUser(u"\\\\" + Machine::instance().name().toUpper().toStdU16String(),
                              u"alice", u"Secret 1"),
              0);
    EXPECT_TRUE(takeShownMessages().empty());
    const emulated::Account* account = MachineProbe::findAccount(u"alice"_s);
    ASSERT_NE(account, nullptr);
    EXPECT_EQ(std::tuple(account->privilege, account->flags, account->passwordAge,
                         account->homeDirectory.isNull() && account->comment.isNull() &&
                             account->scriptPath.isNull()),
              std::tuple(1u, 0x200u, 3u, true));
    EXPECT_TRUE(MachineProbe::isPassword(u"alice"_s, u"Secret 1"_s));
    EXPECT_FALSE(MachineProbe::isPassword(u"alice"_s, u"secret 1"_s));
    const QByteArray clear(reinterpret_cast<const char*>(u"Secret 1"), 16);
    EXPECT_FALSE(account->passwordHash.contains(clear) || account->passwordSalt.contains(clear));
    // Each text and its terminator, name first.
    const auto& buffers = MachineProbe::buffers();
    ASSERT_EQ(buffers.size(), 2u);
    EXPECT_EQ(std::pair(buffers[0].byteCount, buffers[1].byteCount), std::pair(12u, 18u));
}

TEST_F(RoutinesTest, ReportsEachRefusalOnceInItsOwnWords)
{
    // A NUL inside the server's name would have the platform read it cut
    // short, another machine's name: it is refused before anything is
    // allocated. (The fuzz inputs hold the user name and password to it.)
    const std::tuple<const char*, Text, Text, Text, std::int32_t, Text> refusals[] = {
        {"NUL in server", u"localhost\0x"s, u"nul", u"pw", 87, u"Error 87 in parameter 0"},
        {"existing account, other case", here(), u"GUEST", u"pw", 2224,
         u"Errors occured (User already exist) "},
        {"server of backslashes only", u"\\\\", u"dave", u"pw", 123, u"Error 123 in parameter 0"},
    };
    for (const auto& [what, server, user, password, status, cause] : refusals) {
        SCOPED_TRACE(what);
        EXPECT_EQ(CreateLocalUser(server, user, password), status);
        EXPECT_EQ(takeShownMessages(), ShownMessages{{cause + u" when adding user " + user}});
    }
    EXPECT_EQ(MachineProbe::buffers().size(), 4u) << "two for each refusal reaching the machine";
    EXPECT_EQ(MachineProbe::accounts().size(), 3u);

    MachineProbe::failNextUserAdd(87, 1);
    EXPECT_EQ(CreateLocalUser(here(), u"frank", u""), 87);
    EXPECT_EQ(takeShownMessages(),
              ShownMessages{{u"Error 87 in parameter 1 when adding user frank"}});
}

TEST_F(RoutinesTest, TheMachineRefusesNamesAndPasswordsAsWindowsDoes)
{
    // Characters 1 to 31 are refused; DEL, the C1 controls and byte-order
    // marks are ordinary characters of a name.
    std::vector<Text> refused = {u"", Text(21, u'x'), u"...", u". .", u"name.", u"a\x01", u"a\x1f"};
    for (char16_t c : u"\"/\\[]:|<>+=;?*,"s) {
        refused.push_back(u"a"s + c);
    }
    for (const Text& name : refused) {
        EXPECT_EQ(CreateLocalUser(u"localhost", name, u""), 2202) << testing::PrintToString(name);
    }
    for (const Text& name : {Text(20, u'x'), u".a b"s, u"dave\x7f"s, u"a\x85"s, u"\uFEFFb"s}) {
        EXPECT_EQ(CreateLocalUser(u"localhost", name, u""), 0) << testing::PrintToString(name);
    }
    EXPECT_EQ(CreateLocalUser(u"localhost", u"users", u""), 1379) << "an existing group";
    EXPECT_EQ(CreateLocalUser(u"localhost", u"pw1", Text(257, u'p')), 2245);
    EXPECT_EQ(CreateLocalUser(u"localhost", u"pw2", Text(256, u'p')), 0);
    EXPECT_EQ(MachineProbe::accounts().size(), 3u + 6u);
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

TEST(TerminatedByteCountTest, RefusesALengthWhoseBytesWouldWrap)
{
    EXPECT_EQ(mdlDiskQuota::TerminatedByteCount(2147483646), 4294967294u);
    EXPECT_EQ(mdlDiskQuota::TerminatedByteCount(2147483647), std::nullopt);
}

TEST_F(RoutinesTest, SetsLimitAndWarningLevelInBytesAndSwitchesOnLogging)
{
    // A warning level above the limit goes over as it is; 2^31 - 1 megabytes
    // is 2^51 - 2^20 bytes, which a double holds exactly; a negative count is
    // the service's value for no limit.
    const std::tuple<std::int32_t, std::int32_t, std::pair<double, double>> quotas[] = {
        {1, 1, {1048576.0, 1048576.0}},
        {0, 7, {0.0, 7340032.0}},
        {INT32_MAX, 5, {0x1p51 - 0x1p20, 5242880.0}},
        {-1, -7, {-1.0, -1.0}},
    };
    ASSERT_EQ(CreateLocalUser(here(), u"alice", u""), 0);
    for (const auto& [limit, warning, bytes] : quotas) {
        SCOPED_TRACE(testing::Message() << limit << " MB, warning at " << warning);
        EXPECT_TRUE(SetUserDiskQuota(u"D:\\\\", u"alice", limit, warning));
        EXPECT_EQ(aliceOnD(), bytes);
    }
    EXPECT_TRUE(volumeD().logsThreshold);
    EXPECT_TRUE(takeShownMessages().empty());
}

TEST_F(RoutinesTest, AFailureIsShownAndStopsTheStepsAfterIt)
{
    ASSERT_EQ(CreateLocalUser(here(), u"alice", u""), 0);
    void (*const none)() = [] {};
    const std::tuple<const char*, void (*)(), Text, Text, Text, bool> failures[] = {
        {"no object, shown by its code",
         [] { MachineProbe::failNextCreation(std::int32_t(0x80040154)); }, u"D:", u"alice",
         u"Automation error 0x80040154", false},
        {"a path with a line feed", none, u"D:\\\n", u"alice", kSyntax, false},
        {"a path that names no drive", none, u"D:x", u"alice", kSyntax, false},
        {"no quotas", none, u"E:", u"alice", u"The request is not supported.", false},
        {"no such volume", none, u"Q:", u"alice", u"The system cannot find the path specified.",
         false},
        {"AddUser fails, so logging stays off", none, u"D:", u"nobody",
         u"No mapping between account names and security IDs was done.", false},
        {"the last step fails, after logging",
         [] { MachineProbe::failNextUse(u"QuotaThreshold"_s, std::int32_t(0x80070005)); }, u"D:",
         u"alice", u"Access is denied.", true},
    };
    for (const auto& [what, arrange, volume, user, message, logging] : failures) {
        SCOPED_TRACE(what);
        volumeD().logsThreshold = false;
        arrange();
        EXPECT_FALSE(SetUserDiskQuota(volume, user, 7, 6));
        EXPECT_EQ(takeShownMessages(), ShownMessages{{message}});
        EXPECT_EQ(volumeD().logsThreshold, logging);
    }
    // The limit was set before the warning level failed; nothing else was.
    EXPECT_EQ(aliceOnD(), std::pair(7340032.0, -1.0));
    EXPECT_EQ(volumeD().entries.size(), 1u);
}

} // namespace
