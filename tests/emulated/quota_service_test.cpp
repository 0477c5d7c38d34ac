#include "admin/mdlDiskQuota.h"
#include "platform/automation.h"
#include "platform/emulated/machine.h"
#include "tests/support/recorded_messages.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>

namespace {

using emulated::Machine;
using platform::automation::Error;
using platform::automation::Object;
using platform::automation::TextRef;

class QuotaServiceTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        machine().reset();
        testsupport::shownMessages().clear();
        ASSERT_EQ(mdlDiskQuota::CreateLocalUser(u"localhost", u"alice", u""), 0);
    }

    void TearDown() override { EXPECT_EQ(machine().liveObjects(), 0); }

    static Machine& machine() { return Machine::instance(); }

    static Object control() { return platform::automation::CreateObject(u"Microsoft.DiskQuota.1"); }

    static Object initialized(const std::u16string& path, bool writable = true)
    {
        Object quota = control();
        quota->call(u"Initialize", {TextRef(path), std::int16_t(writable ? 1 : 0)});
        return quota;
    }

    static Object entry(const Object& quota, const std::u16string& name)
    {
        return std::get<Object>(quota->call(u"AddUser", {TextRef(name)}));
    }

    // The code and description a call raises; code 0 when it raises none.
    template <typename Call> static std::pair<std::uint32_t, std::u16string> failure(Call&& call)
    {
        try {
            call();
        } catch (const Error& error) {
            return {static_cast<std::uint32_t>(error.code()), error.description()};
        }
        return {0, {}};
    }

    static emulated::QuotaEntry entryOn(char16_t drive, const char* account)
    {
        return machine().volume(drive)->entries.at(QString::fromLatin1(account));
    }
};

TEST_F(QuotaServiceTest, InitializeNamesAVolumeByItsDriveLetter)
{
    for (const std::u16string path : {u"D:", u"d:\\", u"D:\\\\", u"c:\\\\\\"}) {
        EXPECT_EQ(failure([&] { initialized(path); }).first, 0u);
    }
    const std::u16string syntax =
        u"The filename, directory name, or volume label syntax is incorrect.";
    const std::pair<std::u16string, std::pair<std::uint32_t, std::u16string>> refused[] = {
        {u"Q:\\", {0x80070003, u"The system cannot find the path specified."}},
        {u"E:\\", {0x80070032, u"The request is not supported."}},
        {u"", {0x8007007B, syntax}},
        {u"   ", {0x8007007B, syntax}},
        {u"D", {0x8007007B, syntax}},
        {u"D:x", {0x8007007B, syntax}},
    };
    for (const auto& [path, expected] : refused) {
        EXPECT_EQ(failure([&] { initialized(path); }), expected) << path.size();
    }
}

TEST_F(QuotaServiceTest, TheControlMustBeInitializedOnceBeforeUse)
{
    const Object fresh = control();
    const auto catastrophic = std::make_pair(0x8000FFFFu, std::u16string(u"Catastrophic failure"));
    EXPECT_EQ(failure([&] { entry(fresh, u"alice"); }), catastrophic);
    EXPECT_EQ(failure([&] { fresh->set(u"LogQuotaThreshold", true); }), catastrophic);

    const Object quota = initialized(u"D:");
    const std::u16string again = u"C:";
    EXPECT_EQ(failure([&] {
                  quota->call(u"Initialize", {TextRef(again), std::int16_t{1}});
              }),
              std::make_pair(0x800704DFu,
                             std::u16string(u"An attempt was made to perform an initialization "
                                            u"operation when initialization has already been "
                                            u"completed.")));
    EXPECT_EQ(failure([&] { quota->call(u"Reticulate", {}); }),
              std::make_pair(0x80020006u, std::u16string(u"Unknown name.")));
    EXPECT_EQ(failure([] { platform::automation::CreateObject(u"Microsoft.DiskQuota.9"); }).first,
              0x800401F3u);
}

TEST_F(QuotaServiceTest, AddUserResolvesNamesInTheAccountDatabase)
{
    const Object quota = initialized(u"D:");
    const std::u16string names[] = {u"alice", u"ALICE",
                                    machine().name().toStdU16String() + u"\\Alice"};
    for (const std::u16string& name : names) {
        EXPECT_EQ(failure([&] { entry(quota, name); }).first, 0u);
    }
    EXPECT_EQ(machine().volume(u'D')->entries.size(), 1u) << "the existing entry is returned";
    for (const std::u16string name : {u"nobody", u"OTHERHOST\\alice"}) {
        EXPECT_EQ(failure([&] { entry(quota, name); }),
                  std::make_pair(0x80070534u, std::u16string(u"No mapping between account names "
                                                             u"and security IDs was done.")));
    }
}

TEST_F(QuotaServiceTest, LimitsAreByteCountsOrMinusOneForNoLimit)
{
    const Object quota = initialized(u"d:\\");
    const Object user = entry(quota, u"alice");
    user->set(u"QuotaLimit", 1048576.0);
    user->set(u"QuotaThreshold", 2097152.0);
    EXPECT_EQ(entryOn(u'D', "alice").limit, 1048576.0);
    EXPECT_EQ(entryOn(u'D', "alice").threshold, 2097152.0) << "above the limit is accepted";
    user->set(u"QuotaLimit", -1.0);
    EXPECT_EQ(entryOn(u'D', "alice").limit, -1.0);

    const double bad[] = {-2.0, 0.5, std::numeric_limits<double>::infinity(), std::nan("")};
    for (double bytes : bad) {
        EXPECT_EQ(failure([&] { user->set(u"QuotaThreshold", bytes); }),
                  std::make_pair(0x80070057u, std::u16string(u"The parameter is incorrect.")));
    }
    EXPECT_EQ(entryOn(u'D', "alice").threshold, 2097152.0);
    EXPECT_TRUE(machine().volume(u'C')->entries.empty());
}

TEST_F(QuotaServiceTest, AReadOnlyControlChangesNothing)
{
    const Object quota = initialized(u"C:", false);
    const Object user = entry(quota, u"alice");
    const auto denied = std::make_pair(0x80070005u, std::u16string(u"Access is denied."));
    EXPECT_EQ(failure([&] { quota->set(u"LogQuotaThreshold", true); }), denied);
    EXPECT_EQ(failure([&] { user->set(u"QuotaLimit", 0.0); }), denied);
    EXPECT_FALSE(machine().volume(u'C')->logsThreshold);
    EXPECT_EQ(entryOn(u'C', "alice").limit, -1.0);
}

TEST_F(QuotaServiceTest, AnyMemberCanBeMadeToFail)
{
    machine().failNextUse(QStringLiteral("AddUser"), static_cast<std::int32_t>(0x80070015));
    const Object quota = initialized(u"D:");
    EXPECT_EQ(failure([&] { entry(quota, u"alice"); }),
              std::make_pair(0x80070015u, std::u16string(u"Automation error 0x80070015")));
    EXPECT_EQ(failure([&] { entry(quota, u"alice"); }).first, 0u) << "only once";

    machine().failNextCreation(static_cast<std::int32_t>(0x80040154));
    EXPECT_EQ(failure([] { control(); }).first, 0x80040154u);
}

TEST_F(QuotaServiceTest, SetUserDiskQuotaShowsTheServiceDescription)
{
    EXPECT_FALSE(mdlDiskQuota::SetUserDiskQuota(u"E:\\", u"alice", 1, 1));
    EXPECT_FALSE(mdlDiskQuota::SetUserDiskQuota(u"D:", u"nobody", 1, 1));
    ASSERT_EQ(testsupport::shownMessages().size(), 2u);
    EXPECT_EQ(testsupport::shownMessages()[0].text, u"The request is not supported.");
    EXPECT_EQ(testsupport::shownMessages()[1].text,
              u"No mapping between account names and security IDs was done.");
    EXPECT_FALSE(machine().volume(u'D')->logsThreshold) << "AddUser failed before logging";

    machine().failNextUse(QStringLiteral("quotathreshold"), static_cast<std::int32_t>(0x80070005));
    EXPECT_FALSE(mdlDiskQuota::SetUserDiskQuota(u"D:", u"alice", 7, 6));
    EXPECT_EQ(testsupport::shownMessages().back().text, u"Access is denied.");
    EXPECT_EQ(entryOn(u'D', "alice").limit, 7 * 1048576.0) << "earlier steps stay applied";
    EXPECT_EQ(entryOn(u'D', "alice").threshold, -1.0);
}

} // namespace
