#include "platform/startup.h"

namespace platform {

// The emulated machine lives in memory and needs nothing set up.
struct StartupGuard::State
{
};

StartupGuard::StartupGuard() = default;

StartupGuard::~StartupGuard() = default;

std::optional<std::u16string> StartupGuard::failure() const
{
    return std::nullopt;
}

} // namespace platform
