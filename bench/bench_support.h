// What the benchmarks that run tessel-cli against the sqlite3 shell share: starting a program
// with its standard streams redirected, its wall time and peak memory, the best of several
// rounds, and the options every one of them takes (--cli, --sqlite3, --dir, --repeat).
#pragma once

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tessel::bench {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

struct Measure {
    double seconds = 0;  // infinity for a run stopped at its timeout
    long peakKilobytes = 0;
};

// A program to start: its arguments, and where its standard streams go (an empty input or
// errors leaves that stream to the benchmark's own).
struct Launch {
    explicit Launch(std::vector<std::string> arguments) : argv(std::move(arguments)) {}
    Launch& From(std::string path) {
        input = std::move(path);
        return *this;
    }
    Launch& To(std::string path) {
        output = std::move(path);
        return *this;
    }
    Launch& ErrorsTo(std::string path) {
        errors = std::move(path);
        return *this;
    }
    Launch& With(std::string variable) {
        environment.push_back(std::move(variable));
        return *this;
    }

    std::vector<std::string> argv;
    std::string input;
    std::string output = "/dev/null";
    std::string errors;
    std::vector<std::string> environment;  // added to the benchmark's own
};

struct Child {
    pid_t pid = 0;
    int handle = -1;  // a pidfd, so that its end can be waited for with a timeout
    Clock::time_point start;
    long peakKilobytes = 0;  // sampled while waiting
};

struct Ended {
    bool finished = false;  // false: the timeout passed and it was killed
    int status = 0;         // as from wait4
    Clock::time_point end;
    Measure measure;  // from its start
};

// Throws when it cannot start.
Child Start(const Launch& launch);
// Waits for the child's exit; after `timeoutSeconds` (when given) kills it and reaps it.
Ended Wait(Child& child, std::optional<double> timeoutSeconds = std::nullopt);

// Starts, waits and throws unless the program exits with 0.
Measure RunProgram(const Launch& launch);
// As RunProgram, but a run that passes the timeout is killed and measured as taking forever.
Measure RunProgramWithin(const Launch& launch, std::optional<double> timeoutSeconds);

// One contender: what to clear before a run, and the run itself.
struct Contender {
    std::function<void()> prepare;
    std::function<Measure()> run;
};

// The best time of `repeat` rounds for each, and the highest peak memory; within a round the
// two run one after the other, so that a busy spell of a shared disk falls on both alike.
std::pair<Measure, Measure> BestOfRounds(int repeat, const Contender& first,
                                         const Contender& second);

void WriteText(const fs::path& path, const std::string& text);
std::string ReadText(const fs::path& path);

struct CommonSettings {
    std::string cli;
    std::string sqlite3 = "sqlite3";
    fs::path dir;
    int repeat = 1;
};

// tessel-cli with these arguments; its application directory (where its recordset files go)
// is `home`, its standard output discarded.
Launch CliLaunch(const CommonSettings& settings, std::vector<std::string> args,
                 const fs::path& home);

// A benchmark's own options, each with a value, and what takes that value.
using OwnOptions = std::vector<std::pair<std::string, std::function<void(const std::string&)>>>;
// Reads the common options and the benchmark's own; throws with the usage (`ownHelp` after the
// common lines) on any other. Then fills in the defaults: the tessel-cli of the same build, a
// new directory named after the benchmark.
void ParseOptions(int argc, char** argv, const std::string& benchName, const std::string& ownHelp,
                  CommonSettings& settings, const OwnOptions& own);
// The benchmark's first lines: what it measures and where.
void PrintHeader(const CommonSettings& settings);
// Runs a benchmark's main body: a failure is printed with the benchmark's name and exits 1.
int GuardedMain(const std::string& name, const std::function<int()>& body);

// Removes what a benchmark made under `dir`, and `dir` itself when that leaves it empty: a
// directory given with --dir stays if it holds more.
void RemoveWork(const fs::path& dir, const std::vector<std::string>& made);

// True when `dir` is on tmpfs, where no write waits for a disk.
bool OnTmpfs(const fs::path& dir);

std::string Verdict(bool met);
// "12.34 s", or "unfinished" for a run stopped at its timeout.
std::string SecondsText(double seconds);

}  // namespace tessel::bench
