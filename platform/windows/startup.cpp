#include "platform/startup.h"

#include "platform/windows/com_apartment.h"

namespace platform {

// The quota object is created and driven on this thread.
struct StartupGuard::State
{
    windows::ComApartment apartment;
};

StartupGuard::StartupGuard() : state_(std::make_unique<State>())
{
}

StartupGuard::~StartupGuard() = default;

std::optional<std::u16string> StartupGuard::failure() const
{
    if (const auto& failure = state_->apartment.failure()) {
        return failure->description();
    }
    return std::nullopt;
}

} // namespace platform
