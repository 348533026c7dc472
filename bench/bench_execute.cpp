// Script execution against the sqlite3 shell, on the same machine in one run.
//
//   bench_execute [--cli PATH] [--sqlite3 PATH] [--dir DIR] [--inserts N] [--selects N]
//                 [--rows N] [--repeat N]
//
// 1. Statements: a new single-file database, one CREATE TABLE, N INSERTs (10,000) and M
//    SELECTs (100) spread among them. `tessel-cli run` on the script against `sqlite3 DB <
//    statements` with the same statements on a new SQLite file; both print their rows to
//    /dev/null. Each statement commits on its own in both, with SQLite's default journal and
//    synchronous settings.
// 2. Capture: a SELECT of R rows (1,000,000) x 5 columns, captured by `tessel-cli run` into its
//    recordset file, against `sqlite3 -csv DB "SELECT ..." > file`. The recordset file is read
//    back to check that it holds every row.
//
// Prints both time ratios (targets: at most 1.5 and 2) and the peak memory of tessel-cli
// (target: under 64 MB). The best of --repeat rounds counts; in each round the two programs
// run one after the other. DIR (default: a new directory under
// the current one) should be on the disk that real databases live on.
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "bench_programs.h"
#include "core/script/recordset_file.h"

namespace {

namespace fs = std::filesystem;
using namespace tessel::bench;

struct Settings : RaceSettings {
    int inserts = 10000;
    int selects = 100;
};

std::vector<std::string> Statements(const Settings& settings) {
    std::vector<std::string> statements = {
        "CREATE TABLE items (id INTEGER, name TEXT (50), price DOUBLE, qty INTEGER, note TEXT "
        "(100))"};
    const int every = settings.selects > 0 ? std::max(1, settings.inserts / settings.selects) : 0;
    int selects = 0;
    for (int i = 1; i <= settings.inserts; ++i) {
        char values[200];
        std::snprintf(values, sizeof values, "(%d, 'item %d', %.2f, %d, 'a note for item %d')", i,
                      i, i * 1.25, i % 17, i);
        statements.push_back(std::string("INSERT INTO items VALUES ") + values);
        if (every > 0 && i % every == 0 && selects < settings.selects) {
            ++selects;
            statements.push_back("SELECT id, name, price, qty, note FROM items WHERE id > " +
                                 std::to_string(i - 100) + " ORDER BY id");
        }
    }
    return statements;
}

void StatementsBenchmark(const Settings& settings, double& ratio, long& peak) {
    const fs::path dir = settings.dir / "statements";
    fs::create_directories(dir);
    std::string script = "dbMake " + (dir / "tessel.mdb").string() + ";\r\n";
    std::string shell;
    for (const auto& statement : Statements(settings)) {
        script += statement + ";\r\n";
        shell += statement + ";\n";
    }
    WriteText(dir / "statements.sqv", script);
    WriteText(dir / "statements.sql", shell);

    const auto [tessel, reference] = BestOfRounds(
        settings.repeat,
        {[&] { fs::remove(dir / "tessel.mdb"); },
         [&] {
             return RunProgram({settings.cli, "run", (dir / "statements.sqv").string()}, "",
                               "/dev/null", {Environment(dir / "home")});
         }},
        {[&] { fs::remove(dir / "reference.db"); },
         [&] {
             return RunProgram({settings.sqlite3, (dir / "reference.db").string()},
                               (dir / "statements.sql").string(), "/dev/null", {});
         }});
    ratio = tessel.seconds / reference.seconds;
    peak = tessel.peakKilobytes;
    std::printf("statements: %d INSERTs + %d SELECTs\n", settings.inserts, settings.selects);
    std::printf("  tessel-cli run   %8.2f s   peak %6.1f MB\n", tessel.seconds,
                tessel.peakKilobytes / 1024.0);
    std::printf("  sqlite3 shell    %8.2f s   peak %6.1f MB\n", reference.seconds,
                reference.peakKilobytes / 1024.0);
    std::printf("  ratio            %8.2f   (target <= 1.5)\n", ratio);
}

void CaptureBenchmark(const Settings& settings, double& ratio, long& peak) {
    const fs::path dir = settings.dir / "capture";
    const fs::path home = dir / "home";
    fs::create_directories(dir);
    const std::string database = (dir / "big.mdb").string();
    MakeBigDatabase(settings.cli, settings.sqlite3, database, settings.rows, home);
    const std::string select = "SELECT a, b, c, d, e FROM big";
    WriteText(dir / "select.sqv", "dbOpen " + database + ";\r\n" + select + ";\r\n");
    const fs::path recordset = home / "recordset1.rst";
    const auto [tessel, reference] =
        BestOfRounds(settings.repeat,
                     {[&] { fs::remove(recordset); },
                      [&] {
                          return RunProgram({settings.cli, "run", "--no-rows", "--keep-recordsets",
                                             (dir / "select.sqv").string()},
                                            "", "/dev/null", {Environment(home)});
                      }},
                     {[] {},
                      [&] {
                          return RunProgram({settings.sqlite3, "-csv", database, select}, "",
                                            (dir / "rows.csv").string(), {});
                      }});
    const auto file = tessel::RecordsetFile::Open(recordset.string());
    if (file->RowCount() != settings.rows || file->Columns().size() != 5) {
        throw std::runtime_error("the recordset file does not hold every row");
    }
    ratio = tessel.seconds / reference.seconds;
    peak = tessel.peakKilobytes;
    std::printf("capture: SELECT of %ld rows x 5 columns\n", settings.rows);
    std::printf("  tessel-cli run   %8.2f s   peak %6.1f MB   recordset file %6.1f MB\n",
                tessel.seconds, tessel.peakKilobytes / 1024.0,
                fs::file_size(recordset) / 1048576.0);
    std::printf("  sqlite3 -csv     %8.2f s   peak %6.1f MB   csv file       %6.1f MB\n",
                reference.seconds, reference.peakKilobytes / 1024.0,
                fs::file_size(dir / "rows.csv") / 1048576.0);
    std::printf("  ratio            %8.2f   (target <= 2)\n", ratio);
}

Settings ParseSettings(int argc, char** argv) {
    Settings settings;
    settings.cli = BuiltCli();
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (ParseRaceOption(argc, argv, i, settings)) {
            continue;
        } else if (arg == "--inserts") {
            settings.inserts = std::stoi(NextValue(argc, argv, i));
        } else if (arg == "--selects") {
            settings.selects = std::stoi(NextValue(argc, argv, i));
        } else {
            throw std::runtime_error("unknown option " + arg);
        }
    }
    FinishRaceSettings(settings, "bench-execute");
    return settings;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        const Settings settings = ParseSettings(argc, argv);
        fs::create_directories(settings.dir);
        std::printf("tessel-cli: %s\nwork directory: %s\n\n", settings.cli.c_str(),
                    settings.dir.string().c_str());
        double statementsRatio = 0;
        double captureRatio = 0;
        long statementsPeak = 0;
        long capturePeak = 0;
        StatementsBenchmark(settings, statementsRatio, statementsPeak);
        std::printf("\n");
        CaptureBenchmark(settings, captureRatio, capturePeak);
        const double peakMegabytes = std::max(statementsPeak, capturePeak) / 1024.0;
        std::printf(
            "\nsummary: statements ratio %.2f (<= 1.5 %s), capture ratio %.2f (<= 2 %s), "
            "peak memory %.1f MB (< 64 %s)\n",
            statementsRatio, statementsRatio <= 1.5 ? "met" : "MISSED", captureRatio,
            captureRatio <= 2 ? "met" : "MISSED", peakMegabytes,
            peakMegabytes < 64 ? "met" : "MISSED");
        // Only what this run made goes; a directory given with --dir stays if it holds more.
        fs::remove_all(settings.dir / "statements");
        fs::remove_all(settings.dir / "capture");
        std::error_code ignored;
        fs::remove(settings.dir, ignored);
        return 0;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "bench_execute: %s\n", error.what());
        return 1;
    }
}
