#include "tests/windows/quota_recorder.h"

#include <algorithm>
#include <deque>
#include <iterator>
#include <map>
#include <objbase.h>
#include <olectl.h>
#include <span>
#include <string>

// This module, as the linker names it.
extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace {

constexpr CLSID kRecorderClass = {
    0x37abb98b, 0xebd0, 0x4324, {0x95, 0x25, 0x0b, 0x4e, 0xbe, 0x87, 0x89, 0x7d}};
constexpr const wchar_t* kRecorderClassText = L"{37ABB98B-EBD0-4324-9525-0B4EBE87897D}";
constexpr const wchar_t* kMembers[] = {L"Initialize", L"AddUser", L"LogQuotaThreshold",
                                       L"QuotaLimit", L"QuotaThreshold"};
constexpr DISPID kAddUser = 2;

std::wstring record;
LONG liveObjects = 0;

// The arguments in the order the caller wrote them, each its kind and its
// text as the system converts it, a text read through its reference, whole.
std::wstring describe(const DISPPARAMS& in)
{
    static const std::map<VARTYPE, std::wstring> kinds = {
        {VT_BSTR | VT_BYREF, L"BSTR*"}, {VT_I2, L"I2"}, {VT_BOOL, L"BOOL"}, {VT_R8, L"R8"}};
    std::wstring described;
    for (VARIANTARG& argument : std::span(in.rgvarg, in.cArgs)) {
        VARIANT text{};
        VariantChangeType(&text, &argument, 0, VT_BSTR);
        const auto kind = kinds.find(V_VT(&argument));
        described = (kind != kinds.end() ? kind->second : std::to_wstring(V_VT(&argument))) + L" " +
                    std::wstring(V_BSTR(&text), SysStringLen(V_BSTR(&text))) +
                    (described.empty() ? L"" : L", ") + described;
        VariantClear(&text);
    }
    return described;
}

// Kept for the life of the module, so that a use after the last release is
// recorded rather than undefined.
class RecordingObject final : public IDispatch
{
public:
    explicit RecordingObject(const wchar_t* name) : name_(name)
    {
        InterlockedIncrement(&liveObjects);
    }

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override
    {
        *out = iid == IID_IUnknown || iid == IID_IDispatch ? this : nullptr;
        return *out != nullptr ? (AddRef(), S_OK) : E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&references_); }
    STDMETHODIMP_(ULONG) Release() override
    {
        const LONG left = InterlockedDecrement(&references_);
        if (left == 0) {
            InterlockedDecrement(&liveObjects);
        }
        if (left < 0) {
            record += name_ + L" released once too often\n";
        }
        return ULONG(std::max(left, 0L));
    }
    STDMETHODIMP GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    // Member names are matched without regard to case, as automation does.
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT, LCID, DISPID* ids) override
    {
        for (DISPID id = 1; id <= DISPID(std::size(kMembers)); ++id) {
            if (_wcsicmp(names[0], kMembers[id - 1]) == 0) {
                ids[0] = id;
                return S_OK;
            }
        }
        return DISP_E_UNKNOWNNAME;
    }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* in, VARIANT* result,
                        EXCEPINFO*, UINT*) override;

private:
    LONG references_ = 1;
    std::wstring name_;
};
std::deque<RecordingObject> objects;

STDMETHODIMP RecordingObject::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* in,
                                     VARIANT* result, EXCEPINFO*, UINT*)
{
    if (id < 1 || id > DISPID(std::size(kMembers))) {
        return DISP_E_MEMBERNOTFOUND;
    }
    const bool propertyPut = flags == DISPATCH_PROPERTYPUT && in->cNamedArgs == 1 &&
                             in->rgdispidNamedArgs[0] == DISPID_PROPERTYPUT;
    record += (references_ > 0 ? L"" : L"released ") + name_ + L"." + kMembers[id - 1] +
              (propertyPut ? L" = " + describe(*in) : L"(" + describe(*in) + L")") + L"\n";
    if (id == kAddUser && result != nullptr) {
        V_VT(result) = VT_DISPATCH;
        V_DISPATCH(result) = &objects.emplace_back(L"user");
    }
    return S_OK;
}

// Lives as long as the module.
class Factory final : public IClassFactory
{
public:
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override
    {
        *out = iid == IID_IUnknown || iid == IID_IClassFactory ? this : nullptr;
        return *out != nullptr ? S_OK : E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** out) override
    {
        if (outer != nullptr) {
            return CLASS_E_NOAGGREGATION;
        }
        RecordingObject& control = objects.emplace_back(L"control");
        const HRESULT status = control.QueryInterface(iid, out);
        control.Release();
        return status;
    }
    STDMETHODIMP LockServer(BOOL) override { return S_OK; }
} factory;

bool setValue(const std::wstring& key, const wchar_t* name, const std::wstring& value)
{
    return RegSetKeyValueW(HKEY_CLASSES_ROOT, key.c_str(), name, REG_SZ, value.c_str(),
                           DWORD((value.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

} // namespace

extern "C" {

__declspec(dllexport) HRESULT __stdcall DllGetClassObject(REFCLSID classId, REFIID iid, void** out)
{
    *out = nullptr;
    return classId == kRecorderClass ? factory.QueryInterface(iid, out) : CLASS_E_CLASSNOTAVAILABLE;
}

__declspec(dllexport) HRESULT __stdcall DllRegisterServer()
{
    wchar_t path[MAX_PATH];
    if (GetModuleFileNameW(reinterpret_cast<HMODULE>(&__ImageBase), path, MAX_PATH) == 0) {
        return HRESULT_FROM_WIN32(GetLastError());
    }
    const std::wstring server = L"CLSID\\" + std::wstring(kRecorderClassText) + L"\\InprocServer32";
    return setValue(L"Microsoft.DiskQuota.1\\CLSID", nullptr, kRecorderClassText) &&
                   setValue(server, nullptr, path) && setValue(server, L"ThreadingModel", L"Both")
               ? S_OK
               : SELFREG_E_CLASS;
}

__declspec(dllexport) const wchar_t* RecordedQuotaCalls()
{
    return record.c_str();
}

__declspec(dllexport) LONG LiveQuotaObjects()
{
    return liveObjects;
}

} // extern "C"
