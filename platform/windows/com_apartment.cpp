#include "platform/windows/com_apartment.h"

#include "platform/windows/dispatch.h"

#include <objbase.h>

namespace platform::windows {

ComApartment::ComApartment()
{
    // OLE 1's DDE would have the thread answer other programs' broadcasts.
    const HRESULT status =
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    // Every success, S_FALSE included, is an entry to undo. RPC_E_CHANGED_MODE
    // means another part of the process chose the thread's apartment: the
    // thread keeps it, and there is nothing to undo.
    entered_ = SUCCEEDED(status);
    if (FAILED(status) && status != RPC_E_CHANGED_MODE) {
        failure_ = systemError(status);
    }
}

ComApartment::~ComApartment()
{
    if (entered_) {
        CoUninitialize();
    }
}

} // namespace platform::windows
