// Late binding through COM, as Visual Basic's CreateObject and its calls on
// an Object variable do it.

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

// Owns one BSTR, or none.
class Bstr
{
public:
    Bstr() = default;
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    ~Bstr() { SysFreeString(value_); }

    void assign(std::u16string_view text);

    // Where a callee stores a BSTR for this owner to free: a by-reference
    // argument is in/out, so one that replaces the text leaves its
    // replacement here.
    BSTR* address() { return &value_; }

    std::u16string text() const { return fromWide(value_, SysStringLen(value_)); }

private:
    BSTR value_ = nullptr;
};

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

Error systemError(HRESULT code)
{
    return Error(code, systemText(code));
}

void Bstr::assign(std::u16string_view text)
{
    // The length is passed, so text with embedded NULs arrives whole.
    BSTR copy = SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.data()),
                                  static_cast<UINT>(text.size()));
    if (copy == nullptr) {
        throw systemError(E_OUTOFMEMORY);
    }
    SysFreeString(value_);
    value_ = copy;
}

// A callee's account of its exception, whose texts the caller frees.
class ExceptionInfo
{
public:
    ExceptionInfo() = default;
    ExceptionInfo(const ExceptionInfo&) = delete;
    ExceptionInfo& operator=(const ExceptionInfo&) = delete;
    ~ExceptionInfo()
    {
        SysFreeString(info_.bstrSource);
        SysFreeString(info_.bstrDescription);
        SysFreeString(info_.bstrHelpFile);
    }

    EXCEPINFO* get() { return &info_; }

    Error error()
    {
        // A callee may leave the texts to be filled in only when asked for.
        if (info_.pfnDeferredFillIn != nullptr) {
            info_.pfnDeferredFillIn(&info_);
        }
        std::u16string description =
            fromWide(info_.bstrDescription, SysStringLen(info_.bstrDescription));
        if (info_.scode == 0 && info_.wCode != 0) {
            // The callee's own code, for which the system has no text.
            return Error(info_.wCode, std::move(description));
        }
        const HRESULT code = info_.scode != 0 ? info_.scode : DISP_E_EXCEPTION;
        return Error(code, description.empty() ? systemText(code) : std::move(description));
    }

private:
    EXCEPINFO info_{};
};

// A failed call's error: the callee's description when it left one, else the
// system's text for the code.
Error callError(HRESULT code)
{
    ComPtr<IErrorInfo> info;
    Bstr description;
    if (GetErrorInfo(0, info.GetAddressOf()) == S_OK &&
        SUCCEEDED(info->GetDescription(description.address()))) {
        std::u16string text = description.text();
        if (!text.empty()) {
            return Error(code, std::move(text));
        }
    }
    return systemError(code);
}

// A result variant, cleared (its object released, its text freed) with its owner.
class VariantResult
{
public:
    VariantResult() { VariantInit(&value_); }
    VariantResult(const VariantResult&) = delete;
    VariantResult& operator=(const VariantResult&) = delete;
    ~VariantResult() { VariantClear(&value_); }

    VARIANT* get() { return &value_; }

private:
    VARIANT value_;
};

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
    static void convert(const Variant& value, Bstr& text, VARIANTARG& target);

    // Sized once, so the addresses handed to the callee stay valid.
    std::vector<Bstr> texts_;
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
        VariantResult result;
        invoke(member, DISPATCH_METHOD, parameters, result.get());
        return fromResult(*result.get());
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
        ExceptionInfo exception;
        UINT argumentError = 0;
        status = object_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &parameters, result,
                                 exception.get(), &argumentError);
        if (status == DISP_E_EXCEPTION) {
            throw exception.error();
        }
        if (FAILED(status)) {
            throw callError(status);
        }
    }

    ComPtr<IDispatch> object_;
};

void Arguments::convert(const Variant& value, Bstr& text, VARIANTARG& target)
{
    if (const auto* reference = std::get_if<TextRef>(&value)) {
        text.assign(reference->get());
        V_VT(&target) = VT_BSTR | VT_BYREF;
        V_BSTRREF(&target) = text.address();
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
