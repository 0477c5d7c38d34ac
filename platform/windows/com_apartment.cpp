#include "platform/windows/com_apartment.h"

#include <objbase.h>

namespace platform::windows {

// A thread already in another apartment keeps it: the objects are then
// created there, and any that cannot be reports its own failure.
ComApartment::ComApartment()
    : entered_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)))
{
}

ComApartment::~ComApartment()
{
    if (entered_) {
        CoUninitialize();
    }
}

} // namespace platform::windows
