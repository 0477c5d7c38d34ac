#pragma once

// Plain C++ on purpose: the program's run time includes this without the
// system's headers and their macros.

#include "platform/automation.h"

#include <optional>

namespace platform::windows {

// Makes the calling thread a single-threaded apartment for as long as the
// guard lives. The thread that creates and drives the automation objects
// holds one from before the first object until after the last is released.
// A thread that another part of the process has already put in an apartment
// keeps that one, and the objects are created there.
class ComApartment
{
public:
    ComApartment();
    ~ComApartment();
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

    // Why the thread is in no apartment, if it is in none. Kept rather than
    // thrown, so that the guard can be made before the toolkit that reports
    // it: nothing that needs an apartment can work then.
    const std::optional<automation::Error>& failure() const { return failure_; }

private:
    // Whether the guard entered the apartment and must leave it again.
    bool entered_;
    std::optional<automation::Error> failure_;
};

} // namespace platform::windows
