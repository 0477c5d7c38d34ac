#pragma once

// The arguments an automation object's Invoke received, as the tests' own
// objects record them.

#include <oleauto.h>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace testsupport {

// An argument's kind, and its text as the system converts it: a text is read
// through its reference, whole.
using InvokedArgument = std::pair<VARTYPE, std::wstring>;

// In Invoke's order, the last argument first.
inline std::vector<InvokedArgument> invokedArguments(const DISPPARAMS& in)
{
    std::vector<InvokedArgument> arguments;
    for (VARIANTARG& value : std::span(in.rgvarg, in.cArgs)) {
        VARIANT text{};
        VariantChangeType(&text, &value, 0, VT_BSTR);
        arguments.emplace_back(V_VT(&value),
                               std::wstring(V_BSTR(&text), SysStringLen(V_BSTR(&text))));
        VariantClear(&text);
    }
    return arguments;
}

} // namespace testsupport
