#pragma once

// An in-process automation server of the tests' own, which stands in for the
// disk-quota object Wine lacks: registered as "Microsoft.DiskQuota.1", it
// accepts every call the quota routine makes, on the control object and on
// the user entry its AddUser hands back, and records each.

#include <windows.h>

extern "C" {
// Registers the server under the quota object's programmatic identifier, as
// regsvr32 would.
HRESULT __stdcall DllRegisterServer();
// The calls so far, one a line, such as
//     control.Initialize(BSTR* D:\, I2 1)
//     user.QuotaLimit = R8 1048576
// with "released " before a call on an object given back, and a line for an
// object released once more than it was referenced.
const wchar_t* RecordedQuotaCalls();
// The objects handed out and not yet released.
LONG LiveQuotaObjects();
}
