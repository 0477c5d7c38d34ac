// The backend's late binding, first against an automation object of the tests' own that records
// what Invoke received, then against objects the system provides.

#include "platform/automation.h"
#include "platform/windows/dispatch.h"

#include <gtest/gtest.h>
#include <oleauto.h>
#include <ranges>
#include <span>
#include <tuple>
#include <utility>
#include <windows.h>
#include <wrl/client.h>

namespace {

using platform::automation::Error;
using platform::automation::Object;
using platform::automation::TextRef;
using platform::automation::Variant;
using platform::windows::wrapDispatch;

// One argument as Invoke received it: its kind, and its number, text or object.
using Argument = std::pair<VARTYPE, std::variant<double, std::u16string, IDispatch*>>;
// The member, the kind of call, the arguments in the order of DISPPARAMS (the reverse of the
// call's), the named arguments and whether a result was wanted.
using Invocation = std::tuple<DISPID, WORD, std::vector<Argument>, std::vector<DISPID>, bool>;

constexpr DISPID kAddUser = 1, kQuotaLimit = 2;

// Knows the two names above, records each invocation and answers it as the test arranged. It
// lives on the test's stack: the test holds the first reference, and sees the others given back.
class Recorder final : public IDispatch
{
public:
    std::function<HRESULT(VARIANT*, EXCEPINFO*)> answer = [](auto...) { return S_OK; };
    std::vector<Invocation> invocations;
    ULONG references = 1;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
    ULONG STDMETHODCALLTYPE Release() override { return --references; }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }

    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT, LCID,
                                            DISPID* ids) override
    {
        const std::wstring_view name = names[0];
        *ids = name == L"AddUser" ? kAddUser : name == L"QuotaLimit" ? kQuotaLimit : DISPID_UNKNOWN;
        return *ids == DISPID_UNKNOWN ? DISP_E_UNKNOWNNAME : S_OK;
    }

    HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID, LCID, WORD flags,
                                     DISPPARAMS* parameters, VARIANT* result, EXCEPINFO* exception,
                                     UINT*) override
    {
        const auto arguments =
            std::span(parameters->rgvarg, parameters->cArgs) | std::views::transform(receive);
        const std::span named(parameters->rgdispidNamedArgs, parameters->cNamedArgs);
        invocations.emplace_back(member, flags, std::vector(arguments.begin(), arguments.end()),
                                 std::vector(named.begin(), named.end()), result != nullptr);
        return answer(result, exception);
    }

private:
    static Argument receive(VARIANTARG value)
    {
        const VARTYPE type = V_VT(&value);
        if (type == (VT_BSTR | VT_BYREF)) {
            const BSTR text = *V_BSTRREF(&value);
            return {type, std::u16string(text, text + SysStringLen(text))};
        }
        if (type == VT_DISPATCH) {
            return {type, V_DISPATCH(&value)};
        }
        // Any other kind is a number, nothing reading as 0 and true as -1.
        VariantChangeType(&value, &value, 0, VT_R8);
        return {type, V_R8(&value)};
    }
};

// The error a call raised; one of code 0 where it raised none.
Error errorOf(const std::function<void()>& call)
{
    try {
        call();
    } catch (const Error& error) {
        return error;
    }
    return Error(0, u"No error");
}

// Leaves rich error information on this thread, as a failing object does.
void leaveErrorInfo(const wchar_t* description)
{
    Microsoft::WRL::ComPtr<ICreateErrorInfo> creation;
    ASSERT_EQ(CreateErrorInfo(&creation), S_OK);
    creation->SetDescription(const_cast<LPOLESTR>(description));
    Microsoft::WRL::ComPtr<IErrorInfo> info;
    creation.As(&info);
    SetErrorInfo(0, info.Get());
}

struct DispatchTest : ::testing::Test
{
    Recorder target;
    Object object = wrapDispatch(&target);
};

TEST_F(DispatchTest, CallReachesInvokeAsInvokeTakesItOrNotAtAll)
{
    const std::u16string name = std::u16string(u"J\u00FCrgen") + u'\0' + u"Gr\u00FC\u00DF";
    object->call(u"AddUser", {TextRef(name), true, false, std::int16_t{-3}, object, Object{},
                              std::monostate{}});
    object->set(u"QuotaLimit", 1048576.0);
    // Neither a member unknown to the object nor an object without an IDispatch is sent.
    struct Foreign : platform::automation::Dispatch
    {
        Variant call(std::u16string_view, const std::vector<Variant>&) override { return {}; }
        void set(std::u16string_view, const Variant&) override {}
    };
    EXPECT_EQ(errorOf([&] { object->call(u"RemoveUser", {}); }).code(), DISP_E_UNKNOWNNAME);
    EXPECT_EQ(errorOf([&] { object->call(u"AddUser", {std::make_shared<Foreign>()}); }).code(),
              DISP_E_TYPEMISMATCH);
    ASSERT_EQ(target.invocations.size(), 2u);
    const std::vector<Argument> received = {{VT_EMPTY, 0.0},
                                            {VT_DISPATCH, static_cast<IDispatch*>(nullptr)},
                                            {VT_DISPATCH, &target},
                                            {VT_I2, -3.0},
                                            {VT_BOOL, double{VARIANT_FALSE}},
                                            {VT_BOOL, double{VARIANT_TRUE}},
                                            {VT_BSTR | VT_BYREF, name}};
    EXPECT_EQ(target.invocations[0], Invocation(kAddUser, DISPATCH_METHOD, received, {}, true));
    EXPECT_EQ(target.invocations[1], Invocation(kQuotaLimit, DISPATCH_PROPERTYPUT,
                                                {{VT_R8, 1048576.0}}, {DISPID_PROPERTYPUT}, false));
    EXPECT_EQ(target.references, 2u); // the object's own, and none the call took
}

TEST_F(DispatchTest, ResultsTakeTheInterfacesKinds)
{
    // The object answers with the value converted to the kind, as the system converts.
    VARIANT value;
    VARTYPE vt = VT_EMPTY;
    target.answer = [&](VARIANT* out, EXCEPINFO*) { return VariantChangeType(out, &value, 0, vt); };
    const auto resultOf = [&](VARTYPE type, double number) {
        V_VT(&value) = VT_R8;
        V_R8(&value) = number;
        vt = type;
        return object->call(u"AddUser", {});
    };
    EXPECT_EQ(std::get<std::int16_t>(resultOf(VT_I2, -7)), -7);
    EXPECT_TRUE(std::get<bool>(resultOf(VT_BOOL, 1)));
    EXPECT_FALSE(std::get<bool>(resultOf(VT_BOOL, 0)));
    EXPECT_EQ(std::get<double>(resultOf(VT_R8, 2.5)), 2.5);
    // Kinds the interface has no room for, text among them, come back as nothing.
    EXPECT_TRUE(std::holds_alternative<std::monostate>(resultOf(VT_BSTR, 2.5)));
    EXPECT_TRUE(std::holds_alternative<std::monostate>(resultOf(VT_I4, 100000)));

    // The returned reference is given back; the result holds its own till its last owner goes.
    Recorder user;
    V_VT(&value) = vt = VT_DISPATCH;
    V_DISPATCH(&value) = &user;
    Variant result = object->call(u"AddUser", {});
    EXPECT_EQ(user.references, 2u);
    result = std::monostate{};
    EXPECT_EQ(user.references, 1u);
    V_DISPATCH(&value) = nullptr;
    EXPECT_EQ(std::get<Object>(object->call(u"AddUser", {})), nullptr);
}

HRESULT STDAPICALLTYPE fillInLater(EXCEPINFO* exception)
{
    exception->scode = E_ACCESSDENIED;
    exception->bstrDescription = SysAllocString(L"Administrators only");
    return S_OK;
}

TEST_F(DispatchTest, FailureReadsAsTheCalleeOrElseTheSystemDescribesIt)
{
    wchar_t message[512];
    const DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                        nullptr, E_ACCESSDENIED, 0, message, 512, nullptr);
    ASSERT_TRUE(length > 2 && std::wstring_view(message, length).ends_with(L"\r\n"));
    const std::u16string denied(message, message + length - 2);
    constexpr HRESULT kUnknown = static_cast<HRESULT>(0xA0041234); // the system has no text for it

    // The callee's exception codes (none for a plain failure), whether it is filled in only when
    // asked, and its description or else the error info's; then the code and text raised.
    const std::tuple<const char*, WORD, SCODE, bool, LPCWSTR, HRESULT, std::u16string> cases[] = {
        {"described", 0, E_ABORT, false, L"Cancelled", E_ABORT, u"Cancelled"},
        {"filled in later", 0, 0, true, nullptr, E_ACCESSDENIED, u"Administrators only"},
        {"undescribed", 0, E_ACCESSDENIED, false, nullptr, E_ACCESSDENIED, denied},
        {"own code", 1001, 0, false, nullptr, 1001, u"Automation error 0x000003E9"},
        {"error info", 0, 0, false, L"Locked", E_FAIL, u"Locked"},
        {"code only", 0, 0, false, nullptr, E_ACCESSDENIED, denied},
        {"no text", 0, 0, false, nullptr, kUnknown, u"Automation error 0xA0041234"},
    };
    for (const auto& [failure, wCode, scode, later, text, code, description] : cases) {
        SCOPED_TRACE(failure);
        target.answer = [&](VARIANT*, EXCEPINFO* exception) {
            if (wCode == 0 && scode == 0 && !later) {
                if (text != nullptr) {
                    leaveErrorInfo(text);
                }
                return code;
            }
            exception->wCode = wCode;
            exception->scode = scode;
            exception->pfnDeferredFillIn = later ? fillInLater : nullptr;
            exception->bstrDescription = SysAllocString(text);
            return DISP_E_EXCEPTION;
        };
        leaveErrorInfo(L"Left by an earlier failure, which no call may take for its own");
        const Error error = errorOf([&] { object->call(u"AddUser", {}); });
        EXPECT_EQ(error.code(), code);
        EXPECT_EQ(error.description(), description);
    }
}

// The scripting run time's dictionary, registered on every machine, is driven
// through its type information as the quota object is.
TEST(CreateObjectTest, RegisteredObjectIsDrivenByNameAndUnregisteredOneIsReported)
{
    EXPECT_EQ(errorOf([] { platform::automation::CreateObject(u"NewUser.NoSuchObject"); }).code(),
              CO_E_CLASSSTRING);
    const Object dictionary = platform::automation::CreateObject(u"Scripting.Dictionary");
    ASSERT_NE(dictionary, nullptr);
    const std::u16string key = u"QuotaLimit", otherCase = u"QUOTALIMIT";
    dictionary->set(u"CompareMode", std::int16_t{1}); // text, whatever the case
    dictionary->call(u"Add", {TextRef(key), 1048576.0});
    EXPECT_TRUE(std::get<bool>(dictionary->call(u"Exists", {TextRef(otherCase)})));
    // A key added twice fails inside the object, and reads as its exception.
    const Error twice = errorOf([&] { dictionary->call(u"Add", {TextRef(key), 1.0}); });
    EXPECT_EQ(twice.code(), static_cast<HRESULT>(0x800A01C9));
}

} // namespace
