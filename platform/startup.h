#pragma once

// What the program's one thread needs of the platform before its first
// window and until its last is gone. Each build links exactly one backend:
// on Windows the thread's COM apartment, where the quota object lives;
// elsewhere nothing is needed.

#include <memory>
#include <optional>
#include <string>

namespace platform {

class StartupGuard
{
public:
    StartupGuard();
    ~StartupGuard();
    StartupGuard(const StartupGuard&) = delete;
    StartupGuard& operator=(const StartupGuard&) = delete;

    // The platform's description of why the program cannot do its work, if
    // it cannot. Kept rather than thrown, so that the guard can be made
    // before the toolkit that shows it.
    std::optional<std::u16string> failure() const;

private:
    struct State;
    std::unique_ptr<State> state_;
};

} // namespace platform
