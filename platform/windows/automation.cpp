// Late binding through COM, as Visual Basic's CreateObject and its calls on
// an Object variable do it.

#include "platform/unique_resource.h"
#include "platform/windows/dispatch.h"

#include <iterator>
#include <objbase.h>
#include <oleauto.h>
#include <string>
#include <utility>
#include <vector>
#include <windows.h>
#include <wrl/client.h>

namespace platform::windows {
namespace {

using automation::Error;
using automation::Object;
using automation::TextRef;
using automation::Variant;
using Microsoft::WRL::ComPtr;

// Text crosses as is: both sides are UTF-16.
static_assert(sizeof(wchar_t) == sizeof(char16_t));

std::wstring toWide(std::u16string_view text)
{
    return {text.begin(), text.end()};
}

std::u16string fromWide(const wchar_t* text, std::size_t length)
{
    return {text, text + length};
}

using UniqueBstr = UniqueHandle<BSTR, SysFreeString>;

// A VARIANT is cleared with its owner: its object released, its text freed.
struct VariantTraits
{
    using type = VARIANT;
    static VARIANT empty() noexcept
    {
        VARIANT value;
        VariantInit(&value);
        return value;
    }
    static void close(VARIANT& value) noexcept { VariantClear(&value); }
};
using UniqueVariant = UniqueResource<VariantTraits>;

// A callee's account of its exception owns its texts.
struct ExceptionInfoTraits
{
    using type = EXCEPINFO;
    static EXCEPINFO empty() noexcept { return {}; }
    static void close(EXCEPINFO& info) noexcept
    {
        SysFreeString(info.bstrSource);
        SysFreeString(info.bstrDescription);
        SysFreeString(info.bstrHelpFile);
    }
};
using UniqueExceptionInfo = UniqueResource<ExceptionInfoTraits>;

std::u16string textOf(BSTR text)
{
    return fromWide(text, SysStringLen(text));
}

// The system's own text for a code, without its closing line break; empty
// where it has none.
std::u16string systemText(HRESULT code)
{
    wchar_t text[512];
    DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, static_cast<DWORD>(code), 0, text,
                                  static_cast<DWORD>(std::size(text)), nullptr);
    while (length > 0 && (text[length - 1] == L'\r' || text[length - 1] == L'\n')) {
        --length;
    }
    return fromWide(text, length);
}

// The length is passed, so text with embedded NULs arrives whole.
UniqueBstr bstrOf(std::u16string_view text)
{
    UniqueBstr copy(SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.data()),
                                      static_cast<UINT>(text.size())));
    if (copy.get() == nullptr) {
        throw systemError(E_OUTOFMEMORY);
    }
    return copy;
}

// The error a callee described in its exception information.
Error exceptionError(UniqueExceptionInfo& exception)
{
    EXCEPINFO& info = *exception.addressOf();
    // A callee may leave the texts to be filled in only when asked for.
    if (info.pfnDeferredFillIn != nullptr) {
        info.pfnDeferredFillIn(&info);
    }
    std::u16string description = textOf(info.bstrDescription);
    if (info.scode == 0 && info.wCode != 0) {
        // The callee's own code, for which the system has no text.
        return Error(info.wCode, std::move(description));
    }
    const HRESULT code = info.scode != 0 ? info.scode : DISP_E_EXCEPTION;
    return Error(code, description.empty() ? systemText(code) : std::move(description));
}

// A failed call's error: the callee's description when it left one, else the
// system's text for the code.
Error callError(HRESULT code)
{
    ComPtr<IErrorInfo> info;
    UniqueBstr description;
    if (GetErrorInfo(0, info.GetAddressOf()) == S_OK &&
        SUCCEEDED(info->GetDescription(description.put()))) {
        std::u16string text = textOf(description.get());
        if (!text.empty()) {
            return Error(code, std::move(text));
        }
    }
    return systemError(code);
}

class ComDispatch;

// The arguments of one call as Invoke takes them: last first, each text a
// BSTR copy that lives as long as the call.
class Arguments
{
public:
    explicit Arguments(const std::vector<Variant>& values)
        : texts_(values.size()), variants_(values.size())
    {
        for (std::size_t i = 0; i < values.size(); ++i) {
            const std::size_t slot = values.size() - 1 - i;
            convert(values[i], texts_[slot], variants_[slot]);
        }
    }

    VARIANTARG* data() { return variants_.data(); }
    UINT count() const { return static_cast<UINT>(variants_.size()); }

private:
    static void convert(const Variant& value, UniqueBstr& text, VARIANTARG& target);

    // Sized once, so the addresses handed to the callee stay valid. A
    // by-reference text is in/out: a replacement the callee leaves is freed
    // with the call's arguments.
    std::vector<UniqueBstr> texts_;
    std::vector<VARIANTARG> variants_;
};

class ComDispatch final : public automation::Dispatch
{
public:
    // The pointer gains a reference of this object's own.
    explicit ComDispatch(IDispatch* object) : object_(object) {}

    IDispatch* get() const { return object_.Get(); }

    Variant call(std::u16string_view member, const std::vector<Variant>& arguments) override
    {
        Arguments values(arguments);
        DISPPARAMS parameters{values.data(), nullptr, values.count(), 0};
        UniqueVariant result;
        invoke(member, DISPATCH_METHOD, parameters, result.put());
        return fromResult(result.get());
    }

    void set(std::u16string_view member, const Variant& value) override
    {
        Arguments values({value});
        // Invoke requires a property put's value to be named so.
        DISPID named = DISPID_PROPERTYPUT;
        DISPPARAMS parameters{values.data(), &named, values.count(), 1};
        invoke(member, DISPATCH_PROPERTYPUT, parameters, nullptr);
    }

private:
    static Variant fromResult(const VARIANT& result)
    {
        switch (V_VT(&result)) {
        case VT_DISPATCH:
            return wrapDispatch(V_DISPATCH(&result));
        case VT_I2:
            return std::int16_t{V_I2(&result)};
        case VT_BOOL:
            return V_BOOL(&result) != VARIANT_FALSE;
        case VT_R8:
            return V_R8(&result);
        default:
            return std::monostate{};
        }
    }

    void invoke(std::u16string_view member, WORD flags, DISPPARAMS& parameters, VARIANT* result)
    {
        std::wstring name = toWide(member);
        LPOLESTR names[] = {name.data()};
        DISPID id = DISPID_UNKNOWN;
        // Error information still set now belongs to an earlier failure; any
        // set after a failed call below is this call's.
        SetErrorInfo(0, nullptr);
        HRESULT status = object_->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
        if (FAILED(status)) {
            throw callError(status);
        }
        UniqueExceptionInfo exception;
        UINT argumentError = 0;
        status = object_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &parameters, result,
                                 exception.put(), &argumentError);
        if (status == DISP_E_EXCEPTION) {
            throw exceptionError(exception);
        }
        if (FAILED(status)) {
            throw callError(status);
        }
    }

    ComPtr<IDispatch> object_;
};

void Arguments::convert(const Variant& value, UniqueBstr& text, VARIANTARG& target)
{
    if (const auto* reference = std::get_if<TextRef>(&value)) {
        text = bstrOf(reference->get());
        V_VT(&target) = VT_BSTR | VT_BYREF;
        V_BSTRREF(&target) = text.addressOf();
    } else if (const auto* number = std::get_if<std::int16_t>(&value)) {
        V_VT(&target) = VT_I2;
        V_I2(&target) = *number;
    } else if (const auto* flag = std::get_if<bool>(&value)) {
        V_VT(&target) = VT_BOOL;
        V_BOOL(&target) = *flag ? VARIANT_TRUE : VARIANT_FALSE;
    } else if (const auto* real = std::get_if<double>(&value)) {
        V_VT(&target) = VT_R8;
        V_R8(&target) = *real;
    } else if (const auto* object = std::get_if<Object>(&value)) {
        // The caller's Object holds the reference for the call's length.
        IDispatch* dispatch = nullptr;
        if (*object != nullptr) {
            const auto* com = dynamic_cast<const ComDispatch*>(object->get());
            if (com == nullptr) {
                // Only objects of this backend have an IDispatch to pass.
                throw systemError(DISP_E_TYPEMISMATCH);
            }
            dispatch = com->get();
        }
        V_VT(&target) = VT_DISPATCH;
        V_DISPATCH(&target) = dispatch;
    } else {
        V_VT(&target) = VT_EMPTY;
    }
}

} // namespace

Error systemError(HRESULT code)
{
    return Error(code, systemText(code));
}

Object wrapDispatch(IDispatch* object)
{
    if (object == nullptr) {
        return nullptr;
    }
    return std::make_shared<ComDispatch>(object);
}

} // namespace platform::windows

namespace platform::automation {

Object CreateObject(std::u16string_view progId)
{
    const std::wstring id = windows::toWide(progId);
    CLSID classId{};
    HRESULT status = CLSIDFromProgID(id.c_str(), &classId);
    if (FAILED(status)) {
        throw windows::systemError(status);
    }
    Microsoft::WRL::ComPtr<IDispatch> object;
    status = CoCreateInstance(classId, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                              IID_PPV_ARGS(object.GetAddressOf()));
    if (FAILED(status)) {
        throw windows::systemError(status);
    }
    return windows::wrapDispatch(object.Get());
}

} // namespace platform::automation
