// The account and quota routines on the emulated machine, which answers as
// Windows does and lets the tests see the accounts, quotas, buffers and
// objects they leave behind.

#include "admin/mdlDiskQuota.h"
#include "admin/terminated_text.h"
#include "tests/support/machine_probe.h"
#include "tests/support/recorded_messages.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <tuple>

namespace {

using namespace std::string_literals;
using emulated::Machine;
using emulated::MachineProbe;
using mdlDiskQuota::CreateLocalUser;
using mdlDiskQuota::SetUserDiskQuota;
using testsupport::ShownMessages;
using testsupport::takeShownMessages;

const std::u16string kSyntax =
    u"The filename, directory name, or volume label syntax is incorrect.";

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
        const emulated::QuotaEntry& entry = volumeD().entries.at(QStringLiteral("alice"));
        return {entry.limit, entry.threshold};
    }
};

TEST_F(RoutinesTest, AddsAnOrdinaryUserThroughTwoTerminatedBuffers)
{
    EXPECT_EQ(CreateLocalUser(u"\\\\" + Machine::instance().name().toUpper().toStdU16String(),
                              u"alice", u"Secret 1"),
              0);
    EXPECT_TRUE(takeShownMessages().empty());
    const emulated::Account* account = Machine::instance().findAccount(QStringLiteral("alice"));
    ASSERT_NE(account, nullptr);
    EXPECT_EQ(std::tuple(account->privilege, account->flags, account->passwordAge),
              std::tuple(1u, 0x200u, 3u));
    EXPECT_TRUE(account->homeDirectory.isNull() && account->comment.isNull() &&
                account->scriptPath.isNull());
    EXPECT_TRUE(MachineProbe::isPassword(QStringLiteral("alice"), QStringLiteral("Secret 1")));
    EXPECT_FALSE(MachineProbe::isPassword(QStringLiteral("alice"), QStringLiteral("secret 1")));
    // Only a hash is kept: the password is nowhere in the account.
    const QByteArray clear(reinterpret_cast<const char*>(u"Secret 1"), 16);
    EXPECT_FALSE(account->passwordHash.contains(clear) || account->passwordSalt.contains(clear));

    // Each text and its terminator, name first.
    const auto& buffers = MachineProbe::buffers();
    ASSERT_EQ(buffers.size(), 2u);
    EXPECT_EQ(std::pair(buffers[0].byteCount, buffers[1].byteCount), std::pair(12u, 18u));
}

TEST_F(RoutinesTest, ReportsEachRefusalOnceInItsOwnWords)
{
    struct Refusal
    {
        const char* what;
        std::u16string server, user, password;
        std::int32_t status;
        std::u16string message;
    };
    // A NUL inside a text would have the platform read it cut short, under
    // another name: such texts are refused before anything is allocated.
    const Refusal refusals[] = {
        {"a NUL in the name", u"localhost", u"nul\0x"s, u"pw", 87,
         u"Error 87 in parameter 0 when adding user nul\0x"s},
        {"a NUL in the password", u"localhost", u"nul", u"pw\0x"s, 87,
         u"Error 87 in parameter 0 when adding user nul"},
        {"a NUL in the server", u"localhost\0x"s, u"nul", u"pw", 87,
         u"Error 87 in parameter 0 when adding user nul"},
        {"an unknown server", u"NOSUCHHOST", u"erin", u"pw", 53,
         u"Errors occured (Invalid Server name)  when adding user erin"},
        {"an existing account, told apart without case", here(), u"GUEST", u"pw", 2224,
         u"Errors occured (User already exist)  when adding user GUEST"},
        {"a server name of backslashes only", u"\\\\", u"dave", u"pw", 123,
         u"Error 123 in parameter 0 when adding user dave"},
    };
    for (const Refusal& refusal : refusals) {
        SCOPED_TRACE(refusal.what);
        EXPECT_EQ(CreateLocalUser(refusal.server, refusal.user, refusal.password), refusal.status);
        EXPECT_EQ(takeShownMessages(), ShownMessages{{refusal.message}});
    }
    EXPECT_EQ(MachineProbe::buffers().size(), 6u)
        << "two for each refusal that reached the machine";
    EXPECT_EQ(MachineProbe::accounts().size(), 3u);

    MachineProbe::failNextUserAdd(87, 1);
    EXPECT_EQ(CreateLocalUser(here(), u"frank", u""), 87);
    EXPECT_EQ(takeShownMessages(),
              ShownMessages{{u"Error 87 in parameter 1 when adding user frank"}});
}

// The account database's own rules, as the network management API documents them.
TEST_F(RoutinesTest, TheMachineRefusesNamesAndPasswordsAsWindowsDoes)
{
    const std::tuple<const char*, std::u16string, std::u16string, std::int32_t> cases[] = {
        {"an existing group", u"users", u"", 1379},
        {"an empty name", u"", u"", 2202},
        {"21 characters", std::u16string(21, u'x'), u"", 2202},
        {"20 characters", std::u16string(20, u'x'), u"", 0},
        {"only periods", u"...", u"", 2202},
        {"periods and blanks", u". .", u"", 2202},
        {"a closing period", u"name.", u"", 2202},
        {"a leading period", u".a b", u"", 0},
        // Characters 1 to 31 are refused; DEL, the C1 controls and
        // byte-order marks are ordinary characters of a name.
        {"U+0001", u"a\x01", u"", 2202},
        {"U+001F", u"a\x1f", u"", 2202},
        {"DEL", u"dave\x7f", u"", 0},
        {"U+0085", u"a\x85", u"", 0},
        {"a byte-order mark", u"\uFEFFb", u"", 0},
        {"257 characters of password", u"pw1", std::u16string(257, u'p'), 2245},
        {"256 characters of password", u"pw2", std::u16string(256, u'p'), 0},
    };
    for (const auto& [what, name, password, status] : cases) {
        SCOPED_TRACE(what);
        EXPECT_EQ(CreateLocalUser(u"localhost", name, password), status);
    }
    for (char16_t c : u"\"/\\[]:|<>+=;?*,"s) {
        SCOPED_TRACE(testing::Message() << "character " << int(c));
        EXPECT_EQ(CreateLocalUser(u"localhost", u"a"s + c, u""), 2202);
    }
    EXPECT_EQ(MachineProbe::accounts().size(), 3u + 6u);
}

TEST(TerminatedByteCountTest, RefusesALengthWhoseBytesWouldWrap)
{
    // 2^31 - 1 characters and the terminator would take 2^32 bytes.
    EXPECT_EQ(mdlDiskQuota::TerminatedByteCount(2147483646), 4294967294u);
    EXPECT_EQ(mdlDiskQuota::TerminatedByteCount(2147483647), std::nullopt);
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
        SCOPED_TRACE(testing::Message() << quota.limit << " MB, warning at " << quota.warning);
        EXPECT_TRUE(SetUserDiskQuota(u"D:\\\\", u"alice", quota.limit, quota.warning));
        EXPECT_EQ(aliceOnD(), quota.bytes);
    }
    EXPECT_TRUE(volumeD().logsThreshold);
    EXPECT_TRUE(takeShownMessages().empty());
}

TEST_F(RoutinesTest, AFailureIsShownAndStopsTheStepsAfterIt)
{
    ASSERT_EQ(CreateLocalUser(here(), u"alice", u""), 0);
    struct Failure
    {
        const char* what;
        std::function<void()> arrange;
        std::u16string volume, user, message;
        bool logging;
    };
    const Failure failures[] = {
        {"no object, shown by its code",
         [] { MachineProbe::failNextCreation(static_cast<std::int32_t>(0x80040154)); }, u"D:",
         u"alice", u"Automation error 0x80040154", false},
        {"a path with a line feed", [] {}, u"D:\\\n", u"alice", kSyntax, false},
        {"a path that names no drive", [] {}, u"D:x", u"alice", kSyntax, false},
        {"a volume without quotas", [] {}, u"E:", u"alice", u"The request is not supported.",
         false},
        {"no such volume", [] {}, u"Q:", u"alice", u"The system cannot find the path specified.",
         false},
        {"AddUser fails, so logging stays off", [] {}, u"D:", u"nobody",
         u"No mapping between account names and security IDs was done.", false},
        {"the last step fails, after logging",
         [] {
             MachineProbe::failNextUse(QStringLiteral("QuotaThreshold"),
                                       static_cast<std::int32_t>(0x80070005));
         },
         u"D:", u"alice", u"Access is denied.", true},
    };
    for (const Failure& failure : failures) {
        SCOPED_TRACE(failure.what);
        volumeD().logsThreshold = false;
        failure.arrange();
        EXPECT_FALSE(SetUserDiskQuota(failure.volume, failure.user, 7, 6));
        EXPECT_EQ(takeShownMessages(), ShownMessages{{failure.message}});
        EXPECT_EQ(volumeD().logsThreshold, failure.logging);
    }
    // The limit was set before the warning level failed; nothing else was.
    EXPECT_EQ(aliceOnD(), std::pair(7340032.0, -1.0));
    EXPECT_EQ(volumeD().entries.size(), 1u);
}

} // namespace
