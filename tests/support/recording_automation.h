#pragma once

// An automation backend that records every call made through it and fails
// where a test asks, in place of the machine's own objects.

#include "platform/automation.h"

#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace testsupport {

struct TextArgument
{
    std::u16string text;
    bool operator==(const TextArgument&) const = default;
};

// An argument as it was passed, its kind kept; text is copied.
using RecordedValue = std::variant<std::monostate, TextArgument, std::int16_t, bool, double>;

struct AutomationCall
{
    // "control" for the created object, "user" for the object its call returned.
    std::string object;
    std::u16string member;
    bool isPropertyPut = false;
    std::vector<RecordedValue> arguments;
};

struct RecordingAutomation
{
    std::vector<std::u16string> createdProgIds;
    std::vector<AutomationCall> calls;
    // The member (or "CreateObject") that fails next, and the description it raises.
    std::optional<std::u16string> failingMember;
    std::u16string failureDescription = u"Unspecified error";
    int liveObjects = 0;
};

RecordingAutomation& recordingAutomation();

} // namespace testsupport
