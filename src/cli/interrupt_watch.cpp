#include "cli/interrupt_watch.h"

#include <atomic>
#include <csignal>
#include <iterator>

namespace tessel::cli {
namespace {

constexpr int kStoppingSignals[] = {SIGINT, SIGTERM, SIGHUP};
struct sigaction gPrevious[std::size(kStoppingSignals)]{};

// Read by the progress hook while a statement runs; lock-free, so safe to set in a handler.
std::atomic<bool> gRequested{false};
static_assert(std::atomic<bool>::is_always_lock_free);

void AskToStop(int) {
    gRequested.store(true);
}

}  // namespace

InterruptWatch::InterruptWatch() {
    gRequested.store(false);
    struct sigaction stop {};
    stop.sa_handler = AskToStop;
    sigemptyset(&stop.sa_mask);
    // SA_RESETHAND: the next signal finds the default action and ends the program.
    stop.sa_flags = SA_RESETHAND | SA_RESTART;
    for (std::size_t i = 0; i < std::size(kStoppingSignals); ++i)
        sigaction(kStoppingSignals[i], &stop, &gPrevious[i]);
}

InterruptWatch::~InterruptWatch() {
    for (std::size_t i = 0; i < std::size(kStoppingSignals); ++i)
        sigaction(kStoppingSignals[i], &gPrevious[i], nullptr);
}

bool InterruptWatch::Requested() {
    return gRequested.load();
}

}  // namespace tessel::cli
