// Ctrl-C (SIGINT), SIGTERM and SIGHUP during a run: the first one asks the run to stop (the
// running statement is cancelled through the engine's progress hook, the rest of the script
// is not run, files are closed and the recordset files cleaned); one that comes more than a
// second later ends the program at once, as a person pressing Ctrl-C again expects. A repeat
// within the second is the same request sent twice (timeout(1) signals the program and then
// its process group), which must not cut the clean stop short.
#pragma once

namespace tessel::cli {

// Exit status of a run stopped by a signal, as shells report a program that SIGINT ended.
inline constexpr int kInterruptedStatus = 130;

class InterruptWatch {
  public:
    InterruptWatch();
    ~InterruptWatch();
    InterruptWatch(const InterruptWatch&) = delete;
    InterruptWatch& operator=(const InterruptWatch&) = delete;

    // True once a signal asked the run to stop.
    static bool Requested();
};

}  // namespace tessel::cli
