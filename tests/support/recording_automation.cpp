#include "tests/support/recording_automation.h"

#include <memory>

namespace testsupport {
namespace {

using platform::automation::Variant;

RecordedValue record(const Variant& value)
{
    return std::visit(
        [](const auto& v) -> RecordedValue {
            using T = std::decay_t<decltype(v)>;
            if constexpr (std::is_same_v<T, platform::automation::TextRef>) {
                return TextArgument{v.get()};
            } else if constexpr (std::is_same_v<T, platform::automation::Object>) {
                return std::monostate{};
            } else {
                return v;
            }
        },
        value);
}

void failIfAsked(std::u16string_view member)
{
    RecordingAutomation& automation = recordingAutomation();
    if (automation.failingMember == member) {
        automation.failingMember.reset();
        throw platform::automation::Error(static_cast<std::int32_t>(0x80004005),
                                          automation.failureDescription);
    }
}

class RecordingObject : public platform::automation::Dispatch
{
public:
    explicit RecordingObject(std::string name) : name_(std::move(name))
    {
        ++recordingAutomation().liveObjects;
    }
    ~RecordingObject() override { --recordingAutomation().liveObjects; }

    Variant call(std::u16string_view member, const std::vector<Variant>& arguments) override
    {
        AutomationCall call{name_, std::u16string(member), false, {}};
        for (const Variant& argument : arguments) {
            call.arguments.push_back(record(argument));
        }
        recordingAutomation().calls.push_back(call);
        failIfAsked(member);
        if (member == u"AddUser") {
            return std::make_shared<RecordingObject>("user");
        }
        return {};
    }

    void set(std::u16string_view member, const Variant& value) override
    {
        recordingAutomation().calls.push_back(
            {name_, std::u16string(member), true, {record(value)}});
        failIfAsked(member);
    }

private:
    std::string name_;
};

} // namespace

RecordingAutomation& recordingAutomation()
{
    static RecordingAutomation automation;
    return automation;
}

} // namespace testsupport

namespace platform::automation {

Object CreateObject(std::u16string_view progId)
{
    testsupport::recordingAutomation().createdProgIds.emplace_back(progId);
    testsupport::failIfAsked(u"CreateObject");
    return std::make_shared<testsupport::RecordingObject>("control");
}

} // namespace platform::automation
