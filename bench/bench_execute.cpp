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
// 3. Printing: the same SELECT printed by `tessel-cli run --csv` to /dev/null, against
//    `sqlite3 -csv` to /dev/null.
//
// Prints each time ratio, with its target: statements at most 1.3 on tmpfs and 1.1 on a real
// disk, capture at most 1.5, printing at most 1.3; and the peak memory of tessel-cli (target:
// under 64 MB). The best of --repeat rounds counts; in each round the two programs run one
// after the other. DIR (default: a new directory under the current one) should be on the disk
// that real databases live on, or on tmpfs (/dev/shm) to measure without the disk.
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench_support.h"
#include "core/script/recordset_file.h"

namespace {

using namespace tessel::bench;

struct Settings : CommonSettings {
    int inserts = 10000;
    int selects = 100;
    long rows = 1000000;
};

constexpr double kCaptureTarget = 1.5;
constexpr double kPrintingTarget = 1.3;

// Without a disk to wait for, what tessel-cli adds to each statement shows more.
double StatementsTarget(const Settings& settings) {
    return OnTmpfs(settings.dir) ? 1.3 : 1.1;
}

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
             return RunProgram(
                 CliLaunch(settings, {"run", (dir / "statements.sqv").string()}, dir / "home"));
         }},
        {[&] { fs::remove(dir / "reference.db"); },
         [&] {
             return RunProgram(Launch({settings.sqlite3, (dir / "reference.db").string()})
                                   .From((dir / "statements.sql").string()));
         }});
    ratio = tessel.seconds / reference.seconds;
    peak = tessel.peakKilobytes;
    std::printf("statements: %d INSERTs + %d SELECTs\n", settings.inserts, settings.selects);
    std::printf("  tessel-cli run   %8.2f s   peak %6.1f MB\n", tessel.seconds,
                tessel.peakKilobytes / 1024.0);
    std::printf("  sqlite3 shell    %8.2f s   peak %6.1f MB\n", reference.seconds,
                reference.peakKilobytes / 1024.0);
    std::printf("  ratio            %8.2f   (target <= %.1f)\n", ratio, StatementsTarget(settings));
}

void CaptureBenchmark(const Settings& settings, double& ratio, double& csvRatio, long& peak) {
    const fs::path dir = settings.dir / "capture";
    const fs::path home = dir / "home";
    fs::create_directories(dir);
    const std::string database = (dir / "big.mdb").string();
    fs::remove(database);
    WriteText(dir / "make.sqv", "dbMake " + database +
                                    ";\r\nCREATE TABLE big (a LONG, b TEXT (20), c DOUBLE, d "
                                    "LONG, e TEXT (40));\r\n");
    RunProgram(CliLaunch(settings, {"run", (dir / "make.sqv").string()}, home));
    WriteText(dir / "fill.sql",
              "WITH RECURSIVE s(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM s WHERE i < " +
                  std::to_string(settings.rows) +
                  ") INSERT INTO big SELECT i, 'name ' || i, i * 0.5, i % 1000, 'some text for "
                  "row ' || i FROM s;\n");
    RunProgram(Launch({settings.sqlite3, database}).From((dir / "fill.sql").string()));

    const std::string select = "SELECT a, b, c, d, e FROM big";
    WriteText(dir / "select.sqv", "dbOpen " + database + ";\r\n" + select + ";\r\n");
    const fs::path recordset = home / "recordset1.rst";
    const auto [tessel, reference] = BestOfRounds(
        settings.repeat,
        {[&] { fs::remove(recordset); },
         [&] {
             return RunProgram(CliLaunch(
                 settings, {"run", "--no-rows", "--keep-recordsets", (dir / "select.sqv").string()},
                 home));
         }},
        {[] {},
         [&] {
             return RunProgram(Launch({settings.sqlite3, "-csv", database, select})
                                   .To((dir / "rows.csv").string()));
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
    std::printf("  ratio            %8.2f   (target <= %.1f)\n", ratio, kCaptureTarget);

    const auto [printing, printingReference] =
        BestOfRounds(settings.repeat,
                     {[] {},
                      [&] {
                          return RunProgram(CliLaunch(
                              settings, {"run", "--csv", (dir / "select.sqv").string()}, home));
                      }},
                     {[] {},
                      [&] {
                          return RunProgram(Launch({settings.sqlite3, "-csv", database, select}));
                      }});
    csvRatio = printing.seconds / printingReference.seconds;
    peak = std::max(peak, printing.peakKilobytes);
    std::printf("printing: the same SELECT as CSV to /dev/null\n");
    std::printf("  tessel-cli --csv %8.2f s   peak %6.1f MB\n", printing.seconds,
                printing.peakKilobytes / 1024.0);
    std::printf("  sqlite3 -csv     %8.2f s   peak %6.1f MB\n", printingReference.seconds,
                printingReference.peakKilobytes / 1024.0);
    std::printf("  ratio            %8.2f   (target <= %.1f)\n", csvRatio, kPrintingTarget);
}

Settings ParseSettings(int argc, char** argv) {
    Settings settings;
    ParseOptions(
        argc, argv, "bench-execute", "", settings,
        {{"--inserts", [&](const std::string& value) { settings.inserts = std::stoi(value); }},
         {"--selects", [&](const std::string& value) { settings.selects = std::stoi(value); }},
         {"--rows", [&](const std::string& value) { settings.rows = std::stol(value); }}});
    return settings;
}

}  // namespace

int main(int argc, char** argv) {
    return GuardedMain("bench_execute", [&] {
        const Settings settings = ParseSettings(argc, argv);
        PrintHeader(settings);
        double statementsRatio = 0;
        double captureRatio = 0;
        double csvRatio = 0;
        long statementsPeak = 0;
        long capturePeak = 0;
        StatementsBenchmark(settings, statementsRatio, statementsPeak);
        std::printf("\n");
        CaptureBenchmark(settings, captureRatio, csvRatio, capturePeak);
        const double peakMegabytes = std::max(statementsPeak, capturePeak) / 1024.0;
        const double statementsTarget = StatementsTarget(settings);
        std::printf(
            "\nsummary (%s): statements ratio %.2f (<= %.1f %s), capture ratio %.2f "
            "(<= %.1f %s), csv ratio %.2f (<= %.1f %s), peak memory %.1f MB (< 64 %s)\n",
            OnTmpfs(settings.dir) ? "tmpfs" : "disk", statementsRatio, statementsTarget,
            Verdict(statementsRatio <= statementsTarget).c_str(), captureRatio, kCaptureTarget,
            Verdict(captureRatio <= kCaptureTarget).c_str(), csvRatio, kPrintingTarget,
            Verdict(csvRatio <= kPrintingTarget).c_str(), peakMegabytes,
            Verdict(peakMegabytes < 64).c_str());
        RemoveWork(settings.dir, {"statements", "capture"});
        return 0;
    });
}
