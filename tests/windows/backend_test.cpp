// The backend against an object of the tests' own that answers Invoke as it is told, and against
// the system's apartments and, under Wine only, its accounts. (The windows' Wine test reads what
// Invoke receives on the program's own road.)

#include "admin/mdlDiskQuota.h"
#include "platform/netapi.h"
#include "platform/windows/com_apartment.h"
#include "platform/windows/dispatch.h"
#include "tests/support/recorded_messages.h"

#include <gtest/gtest.h>
#include <thread>
#include <windows.h>
#include <wrl/client.h>

namespace {

using namespace platform::automation;
using platform::windows::ComApartment;

// The tests' thread is in its apartment before the first test, as the program's is.
const ComApartment kApartment;

// Lives on the test's stack, which holds its only reference.
struct Answering final : IDispatch
{
    std::function<HRESULT(EXCEPINFO*)> answer;
    STDMETHODIMP QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID* id) override
    {
        *id = 1;
        return S_OK;
    }
    STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO* exception,
                        UINT*) override
    {
        return answer(exception);
    }
};

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

TEST(DispatchTest, FailureReadsAsTheCalleeOrElseTheSystemDescribesIt)
{
    Answering target;
    const Object object = platform::windows::wrapDispatch(&target);
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
        target.answer = [&](EXCEPINFO* exception) {
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

TEST(WineAdminTest, AddsTheAccountAndNamesItForTheQuotaAsTheSystemAnswers)
{
    const std::wstring_view computer = _wgetenv(L"COMPUTERNAME");
    const std::u16string here(computer.begin(), computer.end());
    // What Wine answers: NetUserAdd's status, then the lookup's error, or what
    // the name stands for and where. NetUserAdd checks a server name's form
    // alone; the lookup knows none of the accounts NetUserAdd makes, and no
    // system by any name but the computer's own as the system spells it.
    using Answer = std::tuple<std::int32_t, DWORD, platform::SID_NAME_USE, std::u16string>;
    const std::tuple<std::u16string, std::u16string, Answer> names[] = {
        {here, u"jdoe1", {0, ERROR_NONE_MAPPED, 0, u""}},
        {u"\\\\" + here, u"jdoe2", {0, ERROR_NONE_MAPPED, 0, u""}},
        {u"localhost", u"jdoe3", {0, RPC_S_SERVER_UNAVAILABLE, 0, u""}},
        {here, u"SYSTEM", {0, 0, SidTypeWellKnownGroup, u"NT AUTHORITY"}},
        {u"", u"jsmith", {53, ERROR_NONE_MAPPED, 0, u""}},
        {u"\\\\", u"jsmith", {123, RPC_S_SERVER_UNAVAILABLE, 0, u""}},
        {here, u"abcdefghijklmnopqrstu", {2202, ERROR_NONE_MAPPED, 0, u""}},
    };
    for (const auto& [server, user, answer] : names) {
        SCOPED_TRACE(std::string(user.begin(), user.end()));
        const std::int32_t status = mdlDiskQuota::CreateLocalUser(server, user, u"");
        EXPECT_EQ(takeShownMessages().size(), status == 0 ? 0u : 1u);
        alignas(DWORD) std::byte sid[SECURITY_MAX_SID_SIZE];
        std::uint32_t sidSize = sizeof sid, domainLength = 256;
        char16_t domain[256] = {};
        platform::SID_NAME_USE use = 0;
        const bool found = platform::LookupAccountNameW(server.c_str(), user.c_str(), sid, &sidSize,
                                                        domain, &domainLength, &use);
        EXPECT_EQ(Answer(status, found ? 0 : GetLastError(), use, domain), answer);
        if (status == 0) {
            EXPECT_EQ(mdlDiskQuota::QualifiedUserName(server, user), here + u"\\" + user);
        }
    }
}
#endif
