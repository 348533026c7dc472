#include "cli/interrupt_watch.h"

#include <atomic>
#include <csignal>
#include <ctime>
#include <iterator>

namespace tessel::cli {
namespace {

constexpr int kStoppingSignals[] = {SIGINT, SIGTERM, SIGHUP};
struct sigaction gPrevious[std::size(kStoppingSignals)]{};

// Read by the progress hook while a statement runs; lock-free, so safe to set in a handler.
std::atomic<bool> gRequested{false};
std::atomic<long long> gFirstRequestNs{0};
static_assert(std::atomic<bool>::is_always_lock_free);
static_assert(std::atomic<long long>::is_always_lock_free);

// A request repeated within this time is the same request: timeout(1), for one, signals the
// program and then its whole process group.
constexpr long long kSameRequestNs = 1'000'000'000;

void AskToStop(int signal) {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    const long long ns = static_cast<long long>(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
    const long long first = gFirstRequestNs.load();
    if (first == 0) {
        gFirstRequestNs.store(ns);
        gRequested.store(true);
        return;
    }
    if (ns - first < kSameRequestNs)
        return;
    // Asked again later: the person wants the program gone now.
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

}  // namespace

InterruptWatch::InterruptWatch() {
    gRequested.store(false);
    gFirstRequestNs.store(0);
    struct sigaction stop {};
    stop.sa_handler = AskToStop;
    sigemptyset(&stop.sa_mask);
    stop.sa_flags = SA_RESTART;
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
