#pragma once

// The automation objects of Windows, driven through their IDispatch.

#include "platform/automation.h"

#include <oaidl.h>

namespace platform::windows {

// Drives an existing object by late binding. The result holds a reference of
// its own to the object, released with its last owner; the caller keeps its
// reference. A null pointer gives a null object.
//
// Arguments go over as Invoke takes them: last first, text as a BSTR copy
// passed by reference (VT_BSTR | VT_BYREF), int16_t as VT_I2, bool as VT_BOOL,
// double as VT_R8, objects as VT_DISPATCH, nothing as VT_EMPTY. Results of
// kind VT_DISPATCH, VT_I2, VT_BOOL and VT_R8 come back as the matching
// alternative; any other, text included, as nothing, since the interface
// holds text only by reference and has no owner for a returned one.
automation::Object wrapDispatch(IDispatch* object);

// The error for a failed system call: its code with the system's text for it,
// or one naming the code where the system has none.
automation::Error systemError(HRESULT code);

} // namespace platform::windows
