#include "bench_support.h"

#include <fcntl.h>
#include <linux/magic.h>
#include <poll.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/statfs.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <limits>
#include <sstream>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace tessel::bench {

namespace {

std::string Describe(const std::vector<std::string>& argv) {
    return argv.empty() ? std::string("(nothing)") : argv[0];
}

// The child's peak resident memory so far (VmHWM), 0 when it cannot be read. Not the
// ru_maxrss of wait4: a child started by posix_spawn shares the benchmark's memory until it
// executes the program, and the kernel keeps that peak (the benchmark's own) as the child's.
long PeakSoFar(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmHWM:", 0) == 0)
            return std::atol(line.c_str() + 6);
    }
    return 0;
}

// Reaps the child; the end time is when wait4 returned.
Ended Reap(Child& child) {
    Ended ended;
    rusage usage{};
    while (wait4(child.pid, &ended.status, 0, &usage) < 0 && errno == EINTR) {
    }
    ended.end = Clock::now();
    ended.finished = true;
    // A child that ended before its first sample only has the shared figure.
    const long peak = child.peakKilobytes > 0 ? child.peakKilobytes : usage.ru_maxrss;
    ended.measure = {std::chrono::duration<double>(ended.end - child.start).count(), peak};
    if (child.handle >= 0)
        close(child.handle);
    child.handle = -1;
    return ended;
}

// True when the child exited within the time left. Its peak memory is sampled every few
// milliseconds meanwhile: VmHWM only grows, so a late sample misses only the last moments.
// With a pidfd the wake-up at the exit is immediate; without one (an old kernel) it comes
// within a millisecond.
bool WaitUntil(Child& child, std::optional<Clock::time_point> deadline) {
    constexpr long long kSampleMilliseconds = 5;
    for (;;) {
        long long timeout = kSampleMilliseconds;
        if (deadline) {
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(*deadline - Clock::now())
                    .count();
            if (left <= 0)
                return false;
            timeout = std::min<long long>(left, timeout);
        }
        if (child.handle >= 0) {
            pollfd wanted{child.handle, POLLIN, 0};
            if (poll(&wanted, 1, static_cast<int>(timeout)) > 0)
                return true;
        } else {
            siginfo_t info{};
            if (waitid(P_PID, static_cast<id_t>(child.pid), &info, WEXITED | WNOHANG | WNOWAIT) ==
                    0 &&
                info.si_pid == child.pid) {
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        child.peakKilobytes = std::max(child.peakKilobytes, PeakSoFar(child.pid));
    }
}

}  // namespace

Child Start(const Launch& launch) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (!launch.input.empty())
        posix_spawn_file_actions_addopen(&actions, 0, launch.input.c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, launch.output.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (!launch.errors.empty()) {
        posix_spawn_file_actions_addopen(&actions, 2, launch.errors.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0644);
    }
    std::vector<char*> args;
    for (const auto& arg : launch.argv)
        args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    std::vector<std::string> environmentText(launch.environment);
    for (char** entry = environ; *entry != nullptr; ++entry)
        environmentText.push_back(*entry);
    std::vector<char*> environment;
    for (auto& entry : environmentText)
        environment.push_back(entry.data());
    environment.push_back(nullptr);

    Child child;
    child.start = Clock::now();
    const int spawned =
        posix_spawnp(&child.pid, args[0], &actions, nullptr, args.data(), environment.data());
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        throw std::runtime_error("cannot start " + Describe(launch.argv));
    child.handle = static_cast<int>(syscall(SYS_pidfd_open, child.pid, 0));
    return child;
}

Ended Wait(Child& child, std::optional<double> timeoutSeconds) {
    std::optional<Clock::time_point> deadline;
    if (timeoutSeconds) {
        deadline = child.start + std::chrono::duration_cast<Clock::duration>(
                                     std::chrono::duration<double>(*timeoutSeconds));
    }
    if (WaitUntil(child, deadline))
        return Reap(child);
    kill(child.pid, SIGKILL);
    Ended ended = Reap(child);
    ended.finished = false;
    return ended;
}

Measure RunProgramWithin(const Launch& launch, std::optional<double> timeoutSeconds) {
    Child child = Start(launch);
    const Ended ended = Wait(child, timeoutSeconds);
    if (!ended.finished)
        return {std::numeric_limits<double>::infinity(), ended.measure.peakKilobytes};
    if (!WIFEXITED(ended.status) || WEXITSTATUS(ended.status) != 0) {
        throw std::runtime_error(Describe(launch.argv) + " failed (status " +
                                 std::to_string(ended.status) + ")");
    }
    return ended.measure;
}

Measure RunProgram(const Launch& launch) {
    return RunProgramWithin(launch, std::nullopt);
}

std::pair<Measure, Measure> BestOfRounds(int repeat, const Contender& first,
                                         const Contender& second) {
    std::pair<Measure, Measure> best;
    auto keep = [](Measure& kept, const Measure& measure, bool firstRound) {
        if (firstRound || measure.seconds < kept.seconds)
            kept.seconds = measure.seconds;
        kept.peakKilobytes = std::max(kept.peakKilobytes, measure.peakKilobytes);
    };
    for (int round = 0; round < repeat; ++round) {
        first.prepare();
        keep(best.first, first.run(), round == 0);
        second.prepare();
        keep(best.second, second.run(), round == 0);
    }
    return best;
}

void WriteText(const fs::path& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    if (!out)
        throw std::runtime_error("cannot write " + path.string());
}

std::string ReadText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + path.string());
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

Launch CliLaunch(const CommonSettings& settings, std::vector<std::string> args,
                 const fs::path& home) {
    args.insert(args.begin(), settings.cli);
    return Launch(std::move(args)).With("TESSEL_HOME=" + home.string());
}

namespace {

// The value after option argv[i]; moves i onto it.
std::string NextValue(int argc, char** argv, int& i) {
    if (i + 1 >= argc)
        throw std::runtime_error(std::string(argv[i]) + " needs a value");
    return argv[++i];
}

bool ParseCommonOption(int argc, char** argv, int& i, CommonSettings& settings) {
    const std::string arg = argv[i];
    if (arg == "--cli") {
        settings.cli = NextValue(argc, argv, i);
    } else if (arg == "--sqlite3") {
        settings.sqlite3 = NextValue(argc, argv, i);
    } else if (arg == "--dir") {
        settings.dir = NextValue(argc, argv, i);
    } else if (arg == "--repeat") {
        settings.repeat = std::max(1, std::stoi(NextValue(argc, argv, i)));
    } else {
        return false;
    }
    return true;
}

void CommonDefaults(CommonSettings& settings, const std::string& benchName) {
    if (settings.cli.empty()) {
        // The tessel-cli built with this benchmark: build/bench/X -> build/src/cli/tessel-cli.
        std::error_code code;
        const fs::path self = fs::read_symlink("/proc/self/exe", code);
        settings.cli = (self.parent_path().parent_path() / "src" / "cli" / "tessel-cli").string();
    }
    settings.cli = fs::absolute(settings.cli).string();
    if (settings.dir.empty())
        settings.dir = fs::current_path() / (benchName + "-" + std::to_string(getpid()));
    settings.dir = fs::absolute(settings.dir);
    fs::create_directories(settings.dir);
}

}  // namespace

void ParseOptions(int argc, char** argv, const std::string& benchName, const std::string& ownHelp,
                  CommonSettings& settings, const OwnOptions& own) {
    for (int i = 1; i < argc; ++i) {
        if (ParseCommonOption(argc, argv, i, settings))
            continue;
        const auto option = std::find_if(own.begin(), own.end(),
                                         [&](const auto& entry) { return entry.first == argv[i]; });
        if (option != own.end()) {
            option->second(NextValue(argc, argv, i));
        } else {
            throw std::runtime_error(std::string("unknown option ") + argv[i] + "\n" +
                                     "  --cli PATH       tessel-cli to measure (default: the one "
                                     "of this build)\n"
                                     "  --sqlite3 PATH   the reference shell (default: sqlite3)\n"
                                     "  --dir DIR        work directory, on the disk to measure "
                                     "(e.g. /tmp, /dev/shm)\n"
                                     "  --repeat N       rounds; the best counts (default 1)\n" +
                                     ownHelp);
        }
    }
    CommonDefaults(settings, benchName);
}

void PrintHeader(const CommonSettings& settings) {
    std::printf("tessel-cli: %s\nwork directory: %s (%s)\n\n", settings.cli.c_str(),
                settings.dir.c_str(), OnTmpfs(settings.dir) ? "tmpfs" : "disk");
}

int GuardedMain(const std::string& name, const std::function<int()>& body) {
    try {
        return body();
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s: %s\n", name.c_str(), error.what());
        return 1;
    }
}

void RemoveWork(const fs::path& dir, const std::vector<std::string>& made) {
    for (const auto& name : made)
        fs::remove_all(dir / name);
    std::error_code ignored;
    fs::remove(dir, ignored);
}

bool OnTmpfs(const fs::path& dir) {
    struct statfs info {};
    return statfs(dir.c_str(), &info) == 0 && info.f_type == TMPFS_MAGIC;
}

std::string Verdict(bool met) {
    return met ? "met" : "MISSED";
}

std::string SecondsText(double seconds) {
    if (std::isinf(seconds))
        return "unfinished";
    char text[32];
    std::snprintf(text, sizeof text, "%.2f s", seconds);
    return text;
}

}  // namespace tessel::bench
