#pragma once

// Plain C++ on purpose: the program's run time includes this without the
// system's headers and their macros.

namespace platform::windows {

// Makes the calling thread a single-threaded apartment for as long as the
// guard lives. The thread that creates and drives the automation objects
// holds one from before the first object until after the last is released.
class ComApartment
{
public:
    ComApartment();
    ~ComApartment();
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

private:
    // Only an entry that succeeded (S_FALSE included) is to be left again.
    bool entered_;
};

} // namespace platform::windows
