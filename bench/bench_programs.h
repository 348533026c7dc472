// What the benchmarks that race tessel-cli against the sqlite3 shell share: running a program
// with its input and output redirected, timing it, keeping the best of several rounds, and the
// 5-column table of many rows that the capture and printing benchmarks read.
#pragma once

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

extern char** environ;

namespace tessel::bench {

namespace fs = std::filesystem;

struct Measure {
    double seconds = 0;
    long peakKilobytes = 0;
};

// Runs a program with its standard input and output redirected, and measures its wall time and
// peak resident memory. Throws when it cannot start or does not exit with 0.
inline Measure RunProgram(const std::vector<std::string>& argv, const std::string& input,
                          const std::string& output,
                          const std::vector<std::string>& extraEnvironment) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (!input.empty())
        posix_spawn_file_actions_addopen(&actions, 0, input.c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    std::vector<char*> args;
    for (const auto& arg : argv)
        args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    std::vector<std::string> environmentText(extraEnvironment);
    for (char** entry = environ; *entry != nullptr; ++entry)
        environmentText.push_back(*entry);
    std::vector<char*> environment;
    for (auto& entry : environmentText)
        environment.push_back(entry.data());
    environment.push_back(nullptr);

    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    const int spawned =
        posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environment.data());
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        throw std::runtime_error("cannot start " + argv[0]);
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    const auto end = std::chrono::steady_clock::now();
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        throw std::runtime_error(argv[0] + " failed (status " + std::to_string(status) + ")");
    }
    return {std::chrono::duration<double>(end - start).count(), usage.ru_maxrss};
}

// One contender: what to clear before a run, and the run itself.
struct Contender {
    std::function<void()> prepare;
    std::function<Measure()> run;
};

// The best of `repeat` rounds for each; within a round the two run one after the other, so
// that a busy spell of a shared disk falls on both alike.
inline std::pair<Measure, Measure> BestOfRounds(int repeat, const Contender& first,
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

inline void WriteText(const fs::path& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    if (!out)
        throw std::runtime_error("cannot write " + path.string());
}

inline std::string Environment(const fs::path& home) {
    return "TESSEL_HOME=" + home.string();
}

// A new database at `database` made by tessel-cli (with TESSEL_HOME `home`), holding table
// big(a LONG, b TEXT (20), c DOUBLE, d LONG, e TEXT (40)) of `rows` rows filled by the shell.
inline void MakeBigDatabase(const std::string& cli, const std::string& sqlite3,
                            const std::string& database, long rows, const fs::path& home) {
    const fs::path dir = fs::path(database).parent_path();
    fs::remove(database);
    WriteText(dir / "make.sqv", "dbMake " + database +
                                    ";\r\nCREATE TABLE big (a LONG, b TEXT (20), c DOUBLE, d "
                                    "LONG, e TEXT (40));\r\n");
    RunProgram({cli, "run", (dir / "make.sqv").string()}, "", "/dev/null", {Environment(home)});
    WriteText(dir / "fill.sql",
              "WITH RECURSIVE s(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM s WHERE i < " +
                  std::to_string(rows) +
                  ") INSERT INTO big SELECT i, 'name ' || i, i * 0.5, i % 1000, 'some text for "
                  "row ' || i FROM s;\n");
    RunProgram({sqlite3, database}, (dir / "fill.sql").string(), "/dev/null", {});
}

// The options every race takes: --cli PATH, --sqlite3 PATH, --dir DIR, --rows N, --repeat N.
struct RaceSettings {
    std::string cli;  // default: tessel-cli of the build this benchmark belongs to
    std::string sqlite3 = "sqlite3";
    fs::path dir;
    long rows = 1000000;
    int repeat = 1;
};

inline std::string NextValue(int argc, char** argv, int& i) {
    if (i + 1 >= argc)
        throw std::runtime_error(std::string(argv[i]) + " needs a value");
    return argv[++i];
}

inline std::string BuiltCli() {
    std::error_code code;
    const fs::path self = fs::read_symlink("/proc/self/exe", code);
    return (self.parent_path().parent_path() / "src" / "cli" / "tessel-cli").string();
}

// Reads the race option at argv[i], advancing i past its value; false for another option.
inline bool ParseRaceOption(int argc, char** argv, int& i, RaceSettings& settings) {
    const std::string arg = argv[i];
    if (arg == "--cli") {
        settings.cli = NextValue(argc, argv, i);
    } else if (arg == "--sqlite3") {
        settings.sqlite3 = NextValue(argc, argv, i);
    } else if (arg == "--dir") {
        settings.dir = NextValue(argc, argv, i);
    } else if (arg == "--rows") {
        settings.rows = std::stol(NextValue(argc, argv, i));
    } else if (arg == "--repeat") {
        settings.repeat = std::max(1, std::stoi(NextValue(argc, argv, i)));
    } else {
        return false;
    }
    return true;
}

// After the options: a new directory `prefix`-PID under the current one unless --dir gave one,
// and tessel-cli's path made absolute.
inline void FinishRaceSettings(RaceSettings& settings, const std::string& prefix) {
    if (settings.dir.empty())
        settings.dir = fs::current_path() / (prefix + "-" + std::to_string(getpid()));
    settings.cli = fs::absolute(settings.cli).string();
}

}  // namespace tessel::bench
