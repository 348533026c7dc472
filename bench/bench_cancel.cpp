// How soon Ctrl-C stops a long statement run by tessel-cli, against the sqlite3 shell.
//
//   bench_cancel [--cli PATH] [--sqlite3 PATH] [--dir DIR] [--repeat N] [--seconds S]
//                [--after S]
//
// A recursive count sized to run about S seconds (10) is run by `tessel-cli run` on a new
// database and interrupted with SIGINT after --after seconds (1); the time from the signal to
// the process's exit is measured (target: within 0.2 s) and its exit status checked (130).
// The reference is the shell running the same statement, interrupted the same way. The size is
// found by timing the shell on a smaller count. Every round is printed; the worst counts.
#include <signal.h>

#include <sys/wait.h>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <thread>

#include "bench_support.h"

namespace {

using namespace tessel::bench;

constexpr long kCalibrationCount = 2000000;
constexpr double kGiveUpSeconds = 60;  // after the signal: the program did not stop

struct Settings : CommonSettings {
    double seconds = 10;
    double after = 1;
};

std::string CountStatement(long count) {
    return "SELECT count(*) FROM (WITH RECURSIVE s(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM s "
           "WHERE i < " +
           std::to_string(count) + ") SELECT i FROM s)";
}

// The count that keeps the shell busy for about `seconds`.
long Calibrate(const Settings& settings) {
    const Measure measure =
        RunProgram(Launch({settings.sqlite3, ":memory:", CountStatement(kCalibrationCount)}));
    return static_cast<long>(kCalibrationCount * settings.seconds /
                             std::max(measure.seconds, 0.001));
}

struct Interrupted {
    double latency = 0;  // from the signal to the exit
    int status = 0;
    bool stopped = true;  // false: still running kGiveUpSeconds after the signal, then killed
};

Interrupted RunAndInterrupt(const Launch& launch, double after) {
    Child child = Start(launch);
    std::this_thread::sleep_until(child.start + std::chrono::duration_cast<Clock::duration>(
                                                    std::chrono::duration<double>(after)));
    const auto signalled = Clock::now();
    kill(child.pid, SIGINT);
    const Ended ended = Wait(child, after + kGiveUpSeconds);
    Interrupted result;
    result.latency = std::chrono::duration<double>(ended.end - signalled).count();
    result.status = ended.status;
    result.stopped = ended.finished;
    return result;
}

std::string StatusText(int status) {
    if (WIFEXITED(status))
        return "exit " + std::to_string(WEXITSTATUS(status));
    if (WIFSIGNALED(status))
        return "killed by signal " + std::to_string(WTERMSIG(status));
    return "status " + std::to_string(status);
}

Settings ParseSettings(int argc, char** argv) {
    Settings settings;
    ParseOptions(
        argc, argv, "bench-cancel",
        "  --seconds S      how long the statement runs (default 10)\n"
        "  --after S        when SIGINT is sent (default 1)\n",
        settings,
        {{"--seconds", [&](const std::string& value) { settings.seconds = std::stod(value); }},
         {"--after", [&](const std::string& value) { settings.after = std::stod(value); }}});
    if (settings.after >= settings.seconds)
        throw std::runtime_error("--after must come before the statement ends (--seconds)");
    return settings;
}

}  // namespace

int main(int argc, char** argv) {
    return GuardedMain("bench_cancel", [&] {
        const Settings settings = ParseSettings(argc, argv);
        const fs::path dir = settings.dir / "cancel";
        fs::create_directories(dir);
        PrintHeader(settings);

        const long count = Calibrate(settings);
        const std::string statement = CountStatement(count);
        const std::string database = (dir / "cancel.mdb").string();
        WriteText(dir / "cancel.sqv", "dbMake " + database + ";\r\n" + statement + ";\r\n");
        std::printf("a count of %ld rows (about %.0f s in the shell), SIGINT after %.1f s\n", count,
                    settings.seconds, settings.after);

        double worst = 0;
        double worstShell = 0;
        bool allMet = true;
        for (int round = 0; round < settings.repeat; ++round) {
            fs::remove(database);
            const Interrupted tessel = RunAndInterrupt(
                CliLaunch(settings, {"run", (dir / "cancel.sqv").string()}, dir / "home")
                    .ErrorsTo((dir / "errors.txt").string()),
                settings.after);
            const Interrupted shell = RunAndInterrupt(
                Launch({settings.sqlite3, ":memory:", statement}).ErrorsTo("/dev/null"),
                settings.after);
            const bool exited130 = WIFEXITED(tessel.status) && WEXITSTATUS(tessel.status) == 130;
            const bool met = tessel.stopped && exited130 && tessel.latency <= 0.2;
            allMet = allMet && met;
            worst = std::max(worst, tessel.stopped ? tessel.latency : kGiveUpSeconds);
            worstShell = std::max(worstShell, shell.latency);
            std::printf(
                "  round %d: tessel-cli stopped %.3f s after the signal (%s%s), "
                "sqlite3 %.3f s (%s)\n",
                round + 1, tessel.latency, StatusText(tessel.status).c_str(),
                exited130 ? "" : ", expected 130", shell.latency, StatusText(shell.status).c_str());
            if (!tessel.stopped)
                std::printf("    tessel-cli did not stop within %.0f s and was killed\n",
                            kGiveUpSeconds);
        }
        const std::string errors = ReadText(dir / "errors.txt");
        if (!errors.empty())
            std::printf("  tessel-cli said: %s", errors.c_str());
        std::printf(
            "  worst: tessel-cli %.3f s (target <= 0.2 with exit status 130: %s), "
            "sqlite3 %.3f s, ratio %.2f\n",
            worst, Verdict(allMet).c_str(), worstShell, worst / worstShell);
        RemoveWork(settings.dir, {"cancel"});
        return 0;
    });
}
