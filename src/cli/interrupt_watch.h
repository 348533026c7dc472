// Ctrl-C (SIGINT), SIGTERM and SIGHUP during a run: the first one asks the run to stop (the
// running statement is cancelled through the engine's progress hook, the rest of the script
// is not run, files are closed and the recordset files cleaned); a second one ends the
// program at once, as a person pressing Ctrl-C again expects.
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
