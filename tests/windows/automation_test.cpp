// The backend's late binding, first against an automation object of the
// tests' own that records what Invoke received, then against objects the
// system provides.

#include "platform/automation.h"
#include "platform/windows/dispatch.h"

#include <cwchar>
#include <functional>
#include <gtest/gtest.h>
#include <oleauto.h>
#include <string>
#include <vector>
#include <windows.h>
#include <wrl/client.h>

namespace {

using platform::automation::Error;
using platform::automation::Object;
using platform::automation::TextRef;
using platform::automation::Variant;
using platform::windows::wrapDispatch;

// One argument as Invoke received it: its kind, and its text, number or object.
struct ReceivedArgument
{
    VARTYPE type = VT_EMPTY;
    std::u16string text;
    double number = 0.0;
    IDispatch* object = nullptr;
};

struct Invocation
{
    DISPID member = DISPID_UNKNOWN;
    WORD flags = 0;
    // In the order of DISPPARAMS, the reverse of the call's.
    std::vector<ReceivedArgument> arguments;
    std::vector<DISPID> named;
    bool resultWanted = false;
};

constexpr DISPID kInitialize = 11;
constexpr DISPID kAddUser = 12;
constexpr DISPID kQuotaLimit = 13;

// Knows the names above, records each invocation and answers it as the test
// arranged. It lives on the test's stack: the test holds the first reference
// and checks that every other one is given back.
class ScriptedObject final : public IDispatch
{
public:
    std::function<HRESULT(VARIANT* result, EXCEPINFO* exception)> answer =
        [](VARIANT*, EXCEPINFO*) { return S_OK; };
    std::vector<Invocation> invocations;

    ULONG references() const { return references_; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID interfaceId, void** object) override
    {
        if (!IsEqualIID(interfaceId, IID_IUnknown) && !IsEqualIID(interfaceId, IID_IDispatch)) {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        *object = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override { return --references_; }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override
    {
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }

    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT, LCID,
                                            DISPID* ids) override
    {
        static const std::pair<const wchar_t*, DISPID> known[] = {
            {L"Initialize", kInitialize}, {L"AddUser", kAddUser}, {L"QuotaLimit", kQuotaLimit}};
        for (const auto& [name, id] : known) {
            if (std::wcscmp(names[0], name) == 0) {
                ids[0] = id;
                return S_OK;
            }
        }
        ids[0] = DISPID_UNKNOWN;
        return DISP_E_UNKNOWNNAME;
    }

    HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID, LCID, WORD flags,
                                     DISPPARAMS* parameters, VARIANT* result, EXCEPINFO* exception,
                                     UINT*) override
    {
        Invocation invocation{member, flags, {}, {}, result != nullptr};
        for (UINT i = 0; i < parameters->cArgs; ++i) {
            invocation.arguments.push_back(receive(parameters->rgvarg[i]));
        }
        invocation.named.assign(parameters->rgdispidNamedArgs,
                                parameters->rgdispidNamedArgs + parameters->cNamedArgs);
        invocations.push_back(std::move(invocation));
        return answer(result, exception);
    }

private:
    static ReceivedArgument receive(const VARIANTARG& value)
    {
        ReceivedArgument argument;
        argument.type = V_VT(&value);
        switch (V_VT(&value)) {
        case VT_BSTR | VT_BYREF:
            argument.text.assign(*V_BSTRREF(&value),
                                 *V_BSTRREF(&value) + SysStringLen(*V_BSTRREF(&value)));
            break;
        case VT_I2:
            argument.number = V_I2(&value);
            break;
        case VT_BOOL:
            argument.number = V_BOOL(&value);
            break;
        case VT_R8:
            argument.number = V_R8(&value);
            break;
        case VT_DISPATCH:
            argument.object = V_DISPATCH(&value);
            break;
        }
        return argument;
    }

    ULONG references_ = 1;
};

// The error a call raised.
Error errorOf(const std::function<void()>& call)
{
    try {
        call();
    } catch (const Error& error) {
        return error;
    }
    ADD_FAILURE() << "the call raised no error";
    return Error(0, u"none");
}

// The system's text for a code exactly as FormatMessage gives it.
std::u16string formattedMessage(HRESULT code)
{
    wchar_t text[512];
    const DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                        nullptr, static_cast<DWORD>(code), 0, text, 512, nullptr);
    return std::u16string(text, text + length);
}

// Leaves rich error information on this thread, as a failing object does.
void leaveErrorInfo(const wchar_t* description)
{
    Microsoft::WRL::ComPtr<ICreateErrorInfo> creation;
    ASSERT_EQ(CreateErrorInfo(creation.GetAddressOf()), S_OK);
    creation->SetDescription(const_cast<LPOLESTR>(description));
    Microsoft::WRL::ComPtr<IErrorInfo> info;
    ASSERT_EQ(creation.As(&info), S_OK);
    SetErrorInfo(0, info.Get());
}

class DispatchTest : public ::testing::Test
{
protected:
    ScriptedObject target;
    Object object = wrapDispatch(&target);

    const Invocation& onlyInvocation()
    {
        EXPECT_EQ(target.invocations.size(), 1u);
        static const Invocation none;
        return target.invocations.empty() ? none : target.invocations.front();
    }

    // The result of a call the object answers with the number as a value of
    // the given kind, converted as the system converts.
    Variant resultOf(VARTYPE type, double number)
    {
        target.answer = [=](VARIANT* result, EXCEPINFO*) {
            V_VT(result) = VT_R8;
            V_R8(result) = number;
            return VariantChangeType(result, result, 0, type);
        };
        return object->call(u"AddUser", {});
    }

    // The error of a call the object answers with an exception it describes.
    Error exceptionOf(std::function<void(EXCEPINFO*)> fill)
    {
        target.answer = [fill](VARIANT*, EXCEPINFO* exception) {
            fill(exception);
            return DISP_E_EXCEPTION;
        };
        return errorOf([&] { object->call(u"AddUser", {}); });
    }
};

using DispatchArgumentsTest = DispatchTest;

TEST_F(DispatchArgumentsTest, MethodReceivesItsArgumentsLastFirst)
{
    const std::u16string volume = u"C:\\";
    object->call(u"Initialize", {TextRef(volume), std::int16_t{1}});

    const Invocation& invocation = onlyInvocation();
    EXPECT_EQ(invocation.member, kInitialize);
    EXPECT_EQ(invocation.flags, DISPATCH_METHOD);
    EXPECT_TRUE(invocation.named.empty());
    EXPECT_TRUE(invocation.resultWanted);
    ASSERT_EQ(invocation.arguments.size(), 2u);
    EXPECT_EQ(invocation.arguments[0].type, VT_I2);
    EXPECT_EQ(invocation.arguments[0].number, 1);
    EXPECT_EQ(invocation.arguments[1].type, VT_BSTR | VT_BYREF);
    EXPECT_EQ(invocation.arguments[1].text, volume);
}

TEST_F(DispatchArgumentsTest, TextArrivesWhole)
{
    using namespace std::string_literals;
    const std::u16string name = u"J\u00FCrgen\0Gr\u00FC\u00DF"s;
    object->call(u"AddUser", {TextRef(name)});
    ASSERT_EQ(onlyInvocation().arguments.size(), 1u);
    EXPECT_EQ(onlyInvocation().arguments[0].text, name);
}

TEST_F(DispatchArgumentsTest, ValuesKeepTheirAutomationKinds)
{
    ScriptedObject other;
    object->call(u"AddUser", {true, false, 104857600.0, std::int16_t{-3}, wrapDispatch(&other),
                              Object{}, std::monostate{}});

    const std::vector<ReceivedArgument>& received = onlyInvocation().arguments;
    ASSERT_EQ(received.size(), 7u);
    EXPECT_EQ(received[6].type, VT_BOOL);
    EXPECT_EQ(received[6].number, VARIANT_TRUE);
    EXPECT_EQ(received[5].type, VT_BOOL);
    EXPECT_EQ(received[5].number, VARIANT_FALSE);
    EXPECT_EQ(received[4].type, VT_R8);
    EXPECT_EQ(received[4].number, 104857600.0);
    EXPECT_EQ(received[3].type, VT_I2);
    EXPECT_EQ(received[3].number, -3);
    EXPECT_EQ(received[2].type, VT_DISPATCH);
    EXPECT_EQ(received[2].object, &other);
    EXPECT_EQ(received[1].type, VT_DISPATCH);
    EXPECT_EQ(received[1].object, nullptr);
    EXPECT_EQ(received[0].type, VT_EMPTY);
    EXPECT_EQ(other.references(), 1u);
}

TEST_F(DispatchArgumentsTest, ObjectWithoutDispatchIsNotPassed)
{
    struct Foreign : platform::automation::Dispatch
    {
        Variant call(std::u16string_view, const std::vector<Variant>&) override { return {}; }
        void set(std::u16string_view, const Variant&) override {}
    };
    const Error error = errorOf([&] { object->call(u"AddUser", {std::make_shared<Foreign>()}); });
    EXPECT_EQ(error.code(), DISP_E_TYPEMISMATCH);
    EXPECT_TRUE(target.invocations.empty());
}

TEST_F(DispatchArgumentsTest, PropertyPutNamesItsOneValue)
{
    object->set(u"QuotaLimit", 1048576.0);

    const Invocation& invocation = onlyInvocation();
    EXPECT_EQ(invocation.member, kQuotaLimit);
    EXPECT_EQ(invocation.flags, DISPATCH_PROPERTYPUT);
    EXPECT_EQ(invocation.named, std::vector<DISPID>{DISPID_PROPERTYPUT});
    EXPECT_FALSE(invocation.resultWanted);
    ASSERT_EQ(invocation.arguments.size(), 1u);
    EXPECT_EQ(invocation.arguments[0].type, VT_R8);
    EXPECT_EQ(invocation.arguments[0].number, 1048576.0);
}

using DispatchResultTest = DispatchTest;

TEST_F(DispatchResultTest, WrappingHoldsOneReferenceUntilTheLastOwnerGoes)
{
    EXPECT_EQ(target.references(), 2u);
    Object copy = object;
    object.reset();
    EXPECT_EQ(target.references(), 2u);
    copy.reset();
    EXPECT_EQ(target.references(), 1u);
    EXPECT_EQ(wrapDispatch(nullptr), nullptr);
}

TEST_F(DispatchResultTest, ObjectResultDrivesTheReturnedObject)
{
    ScriptedObject user;
    IDispatch* returned = &user;
    target.answer = [&](VARIANT* result, EXCEPINFO*) {
        if (returned != nullptr) {
            returned->AddRef();
        }
        V_VT(result) = VT_DISPATCH;
        V_DISPATCH(result) = returned;
        return S_OK;
    };
    Variant result = object->call(u"AddUser", {});
    ASSERT_TRUE(std::holds_alternative<Object>(result));
    // The result's own reference; the returned variant's is given back.
    EXPECT_EQ(user.references(), 2u);

    std::get<Object>(result)->set(u"QuotaLimit", 1.0);
    EXPECT_EQ(user.invocations.size(), 1u);
    EXPECT_EQ(target.invocations.size(), 1u);
    result = std::monostate{};
    EXPECT_EQ(user.references(), 1u);

    // Nothing, as an object, is a null object.
    returned = nullptr;
    EXPECT_EQ(std::get<Object>(object->call(u"AddUser", {})), nullptr);
}

TEST_F(DispatchResultTest, ResultsTakeTheInterfacesKinds)
{
    EXPECT_TRUE(std::holds_alternative<std::monostate>(object->call(u"AddUser", {})));
    EXPECT_EQ(std::get<std::int16_t>(resultOf(VT_I2, -7)), -7);
    EXPECT_TRUE(std::get<bool>(resultOf(VT_BOOL, 1)));
    EXPECT_FALSE(std::get<bool>(resultOf(VT_BOOL, 0)));
    EXPECT_EQ(std::get<double>(resultOf(VT_R8, 2.5)), 2.5);
    // Kinds the interface has no room for, text among them, come back as nothing.
    EXPECT_TRUE(std::holds_alternative<std::monostate>(resultOf(VT_BSTR, 2.5)));
    EXPECT_TRUE(std::holds_alternative<std::monostate>(resultOf(VT_I4, 100000)));
}

using DispatchErrorTest = DispatchTest;

TEST_F(DispatchErrorTest, UnknownMemberIsNeverInvoked)
{
    const Error error = errorOf([&] { object->call(u"RemoveUser", {}); });
    EXPECT_EQ(error.code(), DISP_E_UNKNOWNNAME);
    EXPECT_FALSE(error.description().empty());
    EXPECT_TRUE(target.invocations.empty());
}

TEST_F(DispatchErrorTest, ExceptionReadsAsTheCalleeDescribedIt)
{
    const Error error = exceptionOf([](EXCEPINFO* exception) {
        exception->scode = HRESULT_FROM_WIN32(ERROR_NOT_READY);
        exception->bstrSource = SysAllocString(L"DiskQuota");
        exception->bstrDescription = SysAllocString(L"The volume is not ready");
    });
    EXPECT_EQ(error.code(), HRESULT_FROM_WIN32(ERROR_NOT_READY));
    EXPECT_EQ(error.description(), u"The volume is not ready");
}

HRESULT STDAPICALLTYPE fillInLater(EXCEPINFO* exception)
{
    exception->scode = E_ACCESSDENIED;
    exception->bstrDescription = SysAllocString(L"Only an administrator may set quotas");
    return S_OK;
}

TEST_F(DispatchErrorTest, DeferredExceptionIsFilledInBeforeItIsRead)
{
    const Error error =
        exceptionOf([](EXCEPINFO* exception) { exception->pfnDeferredFillIn = fillInLater; });
    EXPECT_EQ(error.code(), E_ACCESSDENIED);
    EXPECT_EQ(error.description(), u"Only an administrator may set quotas");
}

TEST_F(DispatchErrorTest, UndescribedExceptionReadsAsTheSystemsTextWithoutLineBreak)
{
    const std::u16string formatted = formattedMessage(E_ACCESSDENIED);
    ASSERT_GT(formatted.size(), 2u);
    ASSERT_EQ(formatted.substr(formatted.size() - 2), u"\r\n");

    const Error error =
        exceptionOf([](EXCEPINFO* exception) { exception->scode = E_ACCESSDENIED; });
    EXPECT_EQ(error.code(), E_ACCESSDENIED);
    EXPECT_EQ(error.description(), formatted.substr(0, formatted.size() - 2));
}

TEST_F(DispatchErrorTest, CalleesOwnCodeWithoutDescriptionIsNamed)
{
    const Error error = exceptionOf([](EXCEPINFO* exception) { exception->wCode = 1001; });
    EXPECT_EQ(error.code(), 1001);
    EXPECT_EQ(error.description(), u"Automation error 0x000003E9");
}

TEST_F(DispatchErrorTest, PlainFailureReadsAsTheErrorInfoTheCalleeLeft)
{
    target.answer = [](VARIANT*, EXCEPINFO*) {
        leaveErrorInfo(L"The quota entry is locked");
        return E_FAIL;
    };
    const Error error = errorOf([&] { object->call(u"AddUser", {}); });
    EXPECT_EQ(error.code(), E_FAIL);
    EXPECT_EQ(error.description(), u"The quota entry is locked");
}

TEST_F(DispatchErrorTest, ErrorInfoOfAnEarlierFailureIsNotThisOnes)
{
    leaveErrorInfo(L"Left by an earlier failure");
    target.answer = [](VARIANT*, EXCEPINFO*) { return E_ACCESSDENIED; };

    const Error error = errorOf([&] { object->call(u"AddUser", {}); });
    const std::u16string formatted = formattedMessage(E_ACCESSDENIED);
    EXPECT_EQ(error.code(), E_ACCESSDENIED);
    EXPECT_EQ(error.description(), formatted.substr(0, formatted.find_last_not_of(u"\r\n") + 1));
}

TEST_F(DispatchErrorTest, FailureWithoutAnyTextIsNamedByItsCode)
{
    // A customer-defined code: the system has no text for it.
    constexpr HRESULT kUnknown = static_cast<HRESULT>(0xA0041234);
    ASSERT_TRUE(formattedMessage(kUnknown).empty());
    target.answer = [](VARIANT*, EXCEPINFO*) { return kUnknown; };

    const Error error = errorOf([&] { object->call(u"AddUser", {}); });
    EXPECT_EQ(error.code(), kUnknown);
    EXPECT_EQ(error.description(), u"Automation error 0xA0041234");
}

TEST(CreateObjectTest, UnregisteredIdentifierIsReported)
{
    const Error error =
        errorOf([] { platform::automation::CreateObject(u"NewUser.NoSuchObject"); });
    EXPECT_EQ(error.code(), CO_E_CLASSSTRING);
    EXPECT_FALSE(error.description().empty());
}

// The scripting run time's dictionary, registered on every machine, is driven
// through its type information as the quota object is.
TEST(CreateObjectTest, RegisteredObjectIsDrivenByName)
{
    const Object dictionary = platform::automation::CreateObject(u"Scripting.Dictionary");
    ASSERT_NE(dictionary, nullptr);
    const std::u16string key = u"QuotaLimit", otherCase = u"QUOTALIMIT", absent = u"Threshold";

    dictionary->set(u"CompareMode", std::int16_t{1}); // text, whatever the case
    dictionary->call(u"Add", {TextRef(key), 1048576.0});
    EXPECT_TRUE(std::get<bool>(dictionary->call(u"Exists", {TextRef(otherCase)})));
    EXPECT_FALSE(std::get<bool>(dictionary->call(u"Exists", {TextRef(absent)})));

    // A key added twice fails inside the object, and reads as its exception.
    const Error error = errorOf([&] { dictionary->call(u"Add", {TextRef(key), 1.0}); });
    EXPECT_EQ(error.code(), static_cast<HRESULT>(0x800A01C9));
    EXPECT_FALSE(error.description().empty());
}

} // namespace
