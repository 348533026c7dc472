// Printing rows against the sqlite3 shell, on the same machine in one run.
//
//   bench_print [--cli PATH] [--sqlite3 PATH] [--dir DIR] [--rows N] [--repeat N]
//
// A SELECT of R rows (1,000,000) x 5 columns (integers, reals, texts) to /dev/null:
// 1. `tessel-cli run --csv` against `sqlite3 -csv DB "SELECT ..."` (target: at most 1.3 times);
// 2. `tessel-cli run` printing the aligned table, against the same `sqlite3 -csv` and against
//    the shell's own aligned table, `sqlite3 -column`;
// 3. for where the time goes: `tessel-cli run --no-rows`, the capture into the recordset file
//    without printing.
// The best of --repeat rounds (default 3) counts; in each round the two programs run one after
// the other. DIR (default: a new directory under the current one) holds the database.
#include <unistd.h>

#include <cstdio>
#include <stdexcept>
#include <string>

#include "bench_programs.h"

namespace {

using namespace tessel::bench;

using Settings = RaceSettings;

struct Race {
    const char* name;
    std::vector<std::string> cliOptions;
    std::vector<std::string> shellOptions;
    double target;  // 0: only shown
};

double RunRace(const Settings& settings, const Race& race, const fs::path& script,
               const std::string& database, const std::string& select) {
    const fs::path home = settings.dir / "home";
    std::vector<std::string> cli = {settings.cli, "run"};
    cli.insert(cli.end(), race.cliOptions.begin(), race.cliOptions.end());
    cli.push_back(script.string());
    std::vector<std::string> shell = {settings.sqlite3};
    shell.insert(shell.end(), race.shellOptions.begin(), race.shellOptions.end());
    shell.push_back(database);
    shell.push_back(select);
    const auto [tessel, reference] =
        BestOfRounds(settings.repeat,
                     {[] {}, [&] { return RunProgram(cli, "", "/dev/null", {Environment(home)}); }},
                     {[] {}, [&] { return RunProgram(shell, "", "/dev/null", {}); }});
    const double ratio = tessel.seconds / reference.seconds;
    std::string cliText;
    for (std::size_t i = 1; i < cli.size() - 1; ++i)
        cliText += cli[i] + " ";
    std::string shellText;
    for (const auto& option : race.shellOptions)
        shellText += option + " ";
    std::printf("%s\n", race.name);
    std::printf("  tessel-cli %-22s %7.2f s   peak %6.1f MB\n", cliText.c_str(), tessel.seconds,
                tessel.peakKilobytes / 1024.0);
    std::printf("  sqlite3 %-25s %7.2f s   peak %6.1f MB\n", shellText.c_str(), reference.seconds,
                reference.peakKilobytes / 1024.0);
    if (race.target > 0) {
        std::printf("  ratio %34.2f   (target <= %.1f: %s)\n", ratio, race.target,
                    ratio <= race.target ? "met" : "MISSED");
    } else {
        std::printf("  ratio %34.2f\n", ratio);
    }
    return ratio;
}

Settings ParseSettings(int argc, char** argv) {
    Settings settings;
    settings.cli = BuiltCli();
    settings.repeat = 3;
    for (int i = 1; i < argc; ++i) {
        if (!ParseRaceOption(argc, argv, i, settings))
            throw std::runtime_error(std::string("unknown option ") + argv[i]);
    }
    FinishRaceSettings(settings, "bench-print");
    return settings;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        const Settings settings = ParseSettings(argc, argv);
        const fs::path dir = settings.dir / "print";
        fs::create_directories(dir);
        std::printf("tessel-cli: %s\nwork directory: %s\nSELECT of %ld rows x 5 columns\n\n",
                    settings.cli.c_str(), settings.dir.string().c_str(), settings.rows);
        const std::string database = (dir / "big.mdb").string();
        MakeBigDatabase(settings.cli, settings.sqlite3, database, settings.rows,
                        settings.dir / "home");
        const std::string select = "SELECT a, b, c, d, e FROM big";
        const fs::path script = dir / "select.sqv";
        WriteText(script, "dbOpen " + database + ";\r\n" + select + ";\r\n");

        const double csv =
            RunRace(settings, {"csv", {"--csv"}, {"-csv"}, 1.3}, script, database, select);
        const double table =
            RunRace(settings, {"aligned table", {}, {"-csv"}, 1.3}, script, database, select);
        RunRace(settings, {"aligned table against the shell's", {}, {"-column"}, 0}, script,
                database, select);
        RunRace(settings, {"capture without printing", {"--no-rows"}, {"-csv"}, 0}, script,
                database, select);
        std::printf("\nsummary: csv ratio %.2f (<= 1.3 %s), table ratio %.2f (<= 1.3 %s)\n", csv,
                    csv <= 1.3 ? "met" : "MISSED", table, table <= 1.3 ? "met" : "MISSED");
        // Only what this run made goes; a directory given with --dir stays if it holds more.
        fs::remove_all(dir);
        fs::remove_all(settings.dir / "home");
        std::error_code ignored;
        fs::remove(settings.dir, ignored);
        return 0;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "bench_print: %s\n", error.what());
        return 1;
    }
}
