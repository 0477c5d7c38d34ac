// The backend against an object of the tests' own that records what Invoke received, and against
// the system's apartments and objects and, under Wine only, its accounts.

#include "admin/mdlDiskQuota.h"
#include "platform/netapi.h"
#include "platform/windows/com_apartment.h"
#include "platform/windows/dispatch.h"
#include "tests/support/recorded_messages.h"
#include "tests/windows/invoked_arguments.h"

#include <gtest/gtest.h>
#include <thread>
#include <windows.h>
#include <wrl/client.h>

namespace {

using namespace platform::automation;
using platform::windows::ComApartment;

// The tests' thread is in its apartment before the first test, as the program's is.
const ComApartment kApartment;
// A call as the member's DISPID (its initial), the kind of call, the arguments, the named.
using Argument = testsupport::InvokedArgument;
using Call = std::tuple<DISPID, WORD, std::vector<Argument>, std::vector<DISPID>>;

// Lives on the test's stack, which holds its first reference and sees every other given back.
struct Recorder final : IDispatch
{
    ULONG references = 1;
    std::vector<Call> calls;
    std::function<HRESULT(VARIANT*, EXCEPINFO*)> answer = [](auto...) { return S_OK; };
    ~Recorder() { EXPECT_EQ(references, 1u); }
    STDMETHODIMP QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
    STDMETHODIMP_(ULONG) AddRef() override { return ++references; }
    STDMETHODIMP_(ULONG) Release() override { return --references; }
    STDMETHODIMP GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT, LCID, DISPID* id) override
    {
        *id = names[0][0];
        return S_OK;
    }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* in, VARIANT* result,
                        EXCEPINFO* exception, UINT*) override
    {
        const DISPID* named = in->rgdispidNamedArgs;
        calls.emplace_back(id, flags, testsupport::invokedArguments(*in),
                           std::vector(named, named + in->cNamedArgs));
        return answer(result, exception);
    }
};

struct DispatchTest : ::testing::Test
{
    Recorder target;
    Object object = platform::windows::wrapDispatch(&target);
};

TEST_F(DispatchTest, ArgumentsGoLastFirstInTheirKindsAndAnObjectComesBackOwned)
{
    const std::u16string name(u"J\u00FCrgen\0Gr\u00FC\u00DF", 11);
    object->call(u"AddUser", {TextRef(name), std::int16_t{-3}, true, false, 2.5, std::monostate{}});
    object->set(u"QuotaLimit", 1048576.0);
    const std::vector<Argument> added = {
        {VT_EMPTY, L""},  {VT_R8, L"2.5"}, {VT_BOOL, L"0"},
        {VT_BOOL, L"-1"}, {VT_I2, L"-3"},  {VT_BSTR | VT_BYREF, {name.begin(), name.end()}}};
    EXPECT_EQ(target.calls,
              (std::vector<Call>{
                  {'A', DISPATCH_METHOD, added, {}},
                  {'Q', DISPATCH_PROPERTYPUT, {{VT_R8, L"1048576"}}, {DISPID_PROPERTYPUT}}}));
    // AddUser's result is an object holding a reference of its own, given back with it.
    VARIANT value{};
    Recorder user;
    V_VT(&value) = VT_DISPATCH;
    V_DISPATCH(&value) = &user;
    target.answer = [&](VARIANT* out, auto*) { return VariantCopy(out, &value); };
    const Variant result = object->call(u"AddUser", {});
    ASSERT_TRUE(std::holds_alternative<Object>(result));
    EXPECT_EQ(user.references, 2u);
}

HRESULT STDAPICALLTYPE fillInLater(EXCEPINFO* exception)
{
    exception->scode = E_ACCESSDENIED;
    exception->bstrDescription = SysAllocString(L"Administrators only");
    return S_OK;
}

// Leaves rich error information on this thread, as a failing object does.
void leaveErrorInfo(const wchar_t* description)
{
    Microsoft::WRL::ComPtr<ICreateErrorInfo> creation;
    Microsoft::WRL::ComPtr<IErrorInfo> info;
    ASSERT_EQ(CreateErrorInfo(&creation), S_OK);
    creation->SetDescription(const_cast<LPOLESTR>(description));
    creation.As(&info);
    SetErrorInfo(0, info.Get());
}

TEST_F(DispatchTest, FailureReadsAsTheCalleeOrElseTheSystemDescribesIt)
{
    wchar_t text[512];
    std::wstring_view system(
        text, FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                             E_ACCESSDENIED, 0, text, 512, nullptr));
    ASSERT_TRUE(system.ends_with(L"\r\n"));
    const std::u16string denied(system.begin(), system.end() - 2);
    // What Invoke answers: its status, its exception's codes and whether that is filled in only
    // when asked, and a description, the exception's or else left as error info; then the error.
    const std::tuple<HRESULT, WORD, SCODE, bool, LPCWSTR, std::int32_t, std::u16string> cases[] = {
        {DISP_E_EXCEPTION, 0, E_ABORT, false, L"Cancelled", E_ABORT, u"Cancelled"},
        {DISP_E_EXCEPTION, 0, 0, true, nullptr, E_ACCESSDENIED, u"Administrators only"},
        {DISP_E_EXCEPTION, 0, E_ACCESSDENIED, false, nullptr, E_ACCESSDENIED, denied},
        {DISP_E_EXCEPTION, 1001, 0, false, nullptr, 1001, u"Automation error 0x000003E9"},
        {E_FAIL, 0, 0, false, L"Locked", E_FAIL, u"Locked"},
        {E_ACCESSDENIED, 0, 0, false, nullptr, E_ACCESSDENIED, denied},
    };
    for (const auto& [status, wCode, scode, later, text, code, description] : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << status << " " << wCode << " " << scode);
        target.answer = [&](VARIANT*, EXCEPINFO* exception) {
            *exception = {wCode,   0, nullptr, SysAllocString(text),
                          nullptr, 0, nullptr, later ? fillInLater : nullptr,
                          scode};
            if (status != DISP_E_EXCEPTION && text != nullptr) {
                leaveErrorInfo(text);
            }
            return status;
        };
        leaveErrorInfo(L"Left by an earlier failure, which no call may take for its own");
        try {
            object->call(u"AddUser", {});
            ADD_FAILURE() << "no error";
        } catch (const Error& error) {
            EXPECT_EQ(std::pair(error.code(), error.description()), std::pair(code, description));
        }
    }
}

// A thread already in the multithreaded apartment keeps it, unharmed.
TEST(ComApartmentTest, EntersOrKeepsTheThreadsApartment)
{
    EXPECT_FALSE(kApartment.failure());
    std::thread([] {
        ASSERT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
        EXPECT_FALSE(ComApartment().failure());
        EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_FALSE);
        CoUninitialize();
        CoUninitialize();
    }).join();
}

} // namespace

#ifdef TESTS_RUN_UNDER_WINE
using namespace testsupport;

TEST(WineAdminTest, CreateLocalUserReportsWhatTheSystemAnswers)
{
    const std::wstring_view computer = _wgetenv(L"COMPUTERNAME");
    const std::u16string local = u"\\\\" + std::u16string(computer.begin(), computer.end());
    const std::u16string tooLong = u"abcdefghijklmnopqrstu", adding = u" when adding user ";
    const std::tuple<std::u16string, std::u16string, std::int32_t, ShownMessages> cases[] = {
        {local, u"jsmith", 0, {}},
        {u"", u"jsmith", 53, {{u"Errors occured (Invalid Server name) " + adding + u"jsmith"}}},
        {u"\\\\", u"jsmith", 123, {{u"Error 123 in parameter 0" + adding + u"jsmith"}}},
        {local, tooLong, 2202, {{u"Error 2202 in parameter 0" + adding + tooLong}}},
    };
    for (const auto& [server, name, status, messages] : cases) {
        SCOPED_TRACE(status);
        EXPECT_EQ(mdlDiskQuota::CreateLocalUser(server, name, u"Winter-2024"), status);
        EXPECT_EQ(takeShownMessages(), messages);
    }
}

TEST(WineAdminTest, TheQuotaGetsTheNameUnderWhichThisMachineFindsTheAccount)
{
    const std::wstring_view computer = _wgetenv(L"COMPUTERNAME");
    const std::u16string here(computer.begin(), computer.end());
    wchar_t current[256];
    DWORD currentLength = 256;
    ASSERT_TRUE(GetUserNameW(current, &currentLength));
    // What Wine's lookup answers: an error, or what the name stands for and
    // where. It knows none of the accounts its NetUserAdd makes, and no
    // system by any name but the computer's own as the system spells it.
    using Answer = std::tuple<DWORD, platform::SID_NAME_USE, std::u16string>;
    const std::tuple<std::u16string, std::u16string, Answer> names[] = {
        {here, u"jdoe1", {ERROR_NONE_MAPPED, 0, u""}},
        {u"\\\\" + here, u"jdoe2", {ERROR_NONE_MAPPED, 0, u""}},
        {u"localhost", u"jdoe3", {RPC_S_SERVER_UNAVAILABLE, 0, u""}},
        {here, u"SYSTEM", {0, SidTypeWellKnownGroup, u"NT AUTHORITY"}},
        {here, {current, current + currentLength - 1}, {0, SidTypeUser, here}},
    };
    for (const auto& [server, user, answer] : names) {
        SCOPED_TRACE(std::string(user.begin(), user.end()));
        if (user.starts_with(u"jdoe")) {
            ASSERT_EQ(mdlDiskQuota::CreateLocalUser(server, user, u""), 0);
        }
        std::byte sid[SECURITY_MAX_SID_SIZE];
        std::uint32_t sidSize = sizeof sid, domainLength = 256;
        char16_t domain[256] = {};
        platform::SID_NAME_USE use = 0;
        const bool found = platform::LookupAccountNameW(server.c_str(), user.c_str(), sid, &sidSize,
                                                        domain, &domainLength, &use);
        EXPECT_EQ(Answer(found ? 0 : GetLastError(), use, domain), answer);
        EXPECT_EQ(mdlDiskQuota::QualifiedUserName(server, user), here + u"\\" + user);
    }
}
#endif
