// Times two programs from their start to their first frame on the X display,
// and takes their resident memory once shown; usage: first_frame RUNS PROGRAM FLOOR.
//
// The X server tells this watcher of every top-level window created
// (SubstructureNotify on the root), and the watcher puts a DAMAGE object on
// each at once: the server then reports the first drawing into the window,
// which for a Qt program is its first frame, put from its backing store once
// the window was mapped and exposed. The clock runs from just before the
// program is spawned to that report's arrival; the window is the program's by
// its _NET_WM_PID. The resident memory (VmRSS) is read at that moment; it
// hardly moves after.
//
// The programs take turns, their order swapped every round, so that the
// machine's drift hits both alike; one round that warms the caches goes first.

#include "bench/median.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <utility>
#include <vector>
#include <xcb/damage.h>
#include <xcb/xcb.h>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

[[noreturn]] void fail(const std::string& why)
{
    std::fprintf(stderr, "first_frame: %s\n", why.c_str());
    std::exit(1);
}

// Replies and events, which xcb hands over to be freed.
struct FreeDeleter
{
    void operator()(void* block) const { std::free(block); }
};
template <typename T> using Owned = std::unique_ptr<T, FreeDeleter>;

double residentMiB(pid_t pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string field; status >> field;) {
        if (field == "VmRSS:") {
            double kiB = 0;
            status >> kiB;
            return kiB / 1024;
        }
    }
    fail("no resident memory for process " + std::to_string(pid));
}

struct Launch
{
    double milliseconds = 0;
    double residentMiB = 0;
};

class Watcher
{
public:
    Watcher() : connection_(xcb_connect(nullptr, nullptr))
    {
        if (xcb_connection_has_error(connection_)) {
            fail("cannot open the display");
        }
        const xcb_query_extension_reply_t* damage =
            xcb_get_extension_data(connection_, &xcb_damage_id);
        if (damage == nullptr || !damage->present) {
            fail("the X server has no DAMAGE extension");
        }
        damageNotify_ = damage->first_event + XCB_DAMAGE_NOTIFY;
        // The extension serves only a client that has asked for its version.
        Owned<xcb_damage_query_version_reply_t>(xcb_damage_query_version_reply(
            connection_, xcb_damage_query_version(connection_, 1, 1), nullptr));

        root_ = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
        const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(connection_, root_, XCB_CW_EVENT_MASK, &mask);

        const char name[] = "_NET_WM_PID";
        Owned<xcb_intern_atom_reply_t> atom(xcb_intern_atom_reply(
            connection_, xcb_intern_atom(connection_, 0, sizeof name - 1, name), nullptr));
        if (!atom) {
            fail("the X server has no atoms");
        }
        pidAtom_ = atom->atom;
    }

    ~Watcher() { xcb_disconnect(connection_); }

    Launch launch(const char* program)
    {
        char* const argv[] = {const_cast<char*>(program), nullptr};
        pid_t pid = 0;
        const Clock::time_point start = Clock::now();
        if (posix_spawn(&pid, program, nullptr, nullptr, argv, environ) != 0) {
            fail(std::string("cannot start ") + program);
        }
        const Clock::time_point shown = firstFrameOf(pid);
        const Launch launch{std::chrono::duration<double, std::milli>(shown - start).count(),
                            residentMiB(pid)};
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
        return launch;
    }

private:
    Clock::time_point firstFrameOf(pid_t pid)
    {
        for (;;) {
            const Owned<xcb_generic_event_t> event = nextEvent();
            const std::uint8_t type = event->response_type & 0x7f;
            if (type == XCB_CREATE_NOTIFY) {
                const auto* created = reinterpret_cast<xcb_create_notify_event_t*>(event.get());
                xcb_damage_create(connection_, xcb_generate_id(connection_), created->window,
                                  XCB_DAMAGE_REPORT_LEVEL_NON_EMPTY);
                xcb_flush(connection_);
            } else if (type == damageNotify_) {
                const Clock::time_point now = Clock::now();
                const auto* damage = reinterpret_cast<xcb_damage_notify_event_t*>(event.get());
                if (ownerOf(damage->drawable) == pid) {
                    return now;
                }
            }
        }
    }

    Owned<xcb_generic_event_t> nextEvent()
    {
        for (;;) {
            if (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) {
                return Owned<xcb_generic_event_t>(event);
            }
            pollfd display{xcb_get_file_descriptor(connection_), POLLIN, 0};
            if (xcb_connection_has_error(connection_) || poll(&display, 1, 10000) <= 0) {
                fail("no window was drawn within 10 s");
            }
        }
    }

    // The process that says it owns the window, or 0.
    pid_t ownerOf(xcb_window_t window)
    {
        const Owned<xcb_get_property_reply_t> property(xcb_get_property_reply(
            connection_,
            xcb_get_property(connection_, 0, window, pidAtom_, XCB_ATOM_CARDINAL, 0, 1), nullptr));
        if (!property || xcb_get_property_value_length(property.get()) != sizeof(std::uint32_t)) {
            return 0;
        }
        return static_cast<pid_t>(
            *static_cast<std::uint32_t*>(xcb_get_property_value(property.get())));
    }

    xcb_connection_t* connection_;
    xcb_window_t root_ = 0;
    xcb_atom_t pidAtom_ = 0;
    std::uint8_t damageNotify_ = 0;
};

} // namespace

int main(int argc, char* argv[])
{
    const int runs = argc == 4 ? std::atoi(argv[1]) : 0;
    if (runs < 1) {
        fail("usage: first_frame RUNS PROGRAM FLOOR");
    }
    // Both draw through the X server, where the watcher sees them.
    setenv("QT_QPA_PLATFORM", "xcb", 1);

    Watcher watcher;
    const char* programs[] = {argv[2], argv[3]};
    std::vector<Launch> launches[2];
    for (int round = -1; round < runs; ++round) {
        for (int turn = 0; turn < 2; ++turn) {
            const int which = (turn + round) % 2 == 0 ? 0 : 1;
            const Launch launch = watcher.launch(programs[which]);
            if (round >= 0) {
                launches[which].push_back(launch);
            }
        }
    }

    const auto report = [&](const char* figure, const char* unit, double Launch::*measure) {
        double medians[2];
        for (int which = 0; which < 2; ++which) {
            std::vector<double> samples;
            for (const Launch& launch : launches[which]) {
                samples.push_back(launch.*measure);
            }
            medians[which] = median(samples);
            std::printf("%s, %s: %.1f %s\n", figure,
                        std::filesystem::path(programs[which]).filename().c_str(), medians[which],
                        unit);
        }
        std::printf("%s, ratio: %.2f\n", figure, medians[0] / medians[1]);
    };
    report("start to first frame", "ms", &Launch::milliseconds);
    report("resident memory once shown", "MiB", &Launch::residentMiB);
}
