// Whether the cost of a script grows in a straight line with its number of statements.
//
//   bench_scaling [--cli PATH] [--sqlite3 PATH] [--dir DIR] [--repeat N]
//                 [--sizes 10000,100000] [--kinds insert,select] [--timeout SECONDS]
//
// For each kind and size, a script of that many statements is run by `tessel-cli run
// --no-rows`, and the same statements by the sqlite3 shell as the reference:
//   insert  a new database, one CREATE TABLE and N autocommit INSERTs;
//   select  N SELECTs that each return one row (SELECT id FROM t WHERE id = k) of a table of
//           1,000 rows, on a database made beforehand.
// Prints each run's time and peak memory, the ratio to the shell, and for each kind the
// largest size's time over the smallest's, whose target is 1.1 times the ratio of the sizes
// (at most 11 for 100k against 10k). A run that passes --timeout (default 900 s) is stopped
// and the growth shown as a lower bound. The best of --repeat rounds counts.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <sstream>
#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

#include "bench_support.h"

namespace {

using namespace tessel::bench;

constexpr int kSelectTableRows = 1000;

struct Settings : CommonSettings {
    std::vector<int> sizes = {10000, 100000};
    std::vector<std::string> kinds = {"insert", "select"};
    double timeout = 900;
};

struct Scripts {
    std::string tessel;  // the script file for tessel-cli
    std::string shell;   // the same statements for the sqlite3 shell
};

// The statements of one kind and size, each written for both programs.
Scripts MakeScripts(const std::string& kind, int size, const std::string& database) {
    Scripts scripts;
    auto add = [&](const std::string& statement) {
        scripts.tessel += statement + ";\r\n";
        scripts.shell += statement + ";\n";
    };
    if (kind == "insert") {
        scripts.tessel = "dbMake " + database + ";\r\n";
        add("CREATE TABLE t (id LONG, name TEXT (50))");
        for (int i = 1; i <= size; ++i) {
            add("INSERT INTO t VALUES (" + std::to_string(i) + ", 'name " + std::to_string(i) +
                "')");
        }
    } else {
        scripts.tessel = "dbOpen " + database + ";\r\n";
        for (int i = 0; i < size; ++i)
            add("SELECT id FROM t WHERE id = " + std::to_string(i % kSelectTableRows + 1));
    }
    return scripts;
}

// The database that the SELECTs read: made by tessel-cli, filled by the shell.
void MakeSelectDatabase(const Settings& settings, const fs::path& dir, const std::string& path) {
    fs::remove(path);
    WriteText(dir / "make.sqv", "dbMake " + path +
                                    ";\r\nCREATE TABLE t (id LONG, name TEXT (50));\r\n"
                                    "CREATE UNIQUE INDEX tKey ON t (id);\r\n");
    RunProgram(CliLaunch(settings, {"run", (dir / "make.sqv").string()}, dir / "home"));
    WriteText(dir / "fill.sql",
              "WITH RECURSIVE s(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM s WHERE i < " +
                  std::to_string(kSelectTableRows) +
                  ") INSERT INTO t SELECT i, 'name ' || i FROM s;\n");
    RunProgram(Launch({settings.sqlite3, path}).From((dir / "fill.sql").string()));
}

struct Row {
    int size = 0;
    std::size_t scriptBytes = 0;
    Measure tessel;
    Measure shell;
};

Row MeasureSize(const Settings& settings, const std::string& kind, int size, const fs::path& dir) {
    const bool inserts = kind == "insert";
    const std::string tesselDatabase = (dir / (inserts ? "tessel.mdb" : "select.mdb")).string();
    const std::string shellDatabase = inserts ? (dir / "reference.db").string() : tesselDatabase;
    const Scripts scripts = MakeScripts(kind, size, tesselDatabase);
    const fs::path script = dir / ("script" + std::to_string(size) + ".sqv");
    const fs::path shellScript = dir / ("script" + std::to_string(size) + ".sql");
    WriteText(script, scripts.tessel);
    WriteText(shellScript, scripts.shell);

    Row row;
    row.size = size;
    row.scriptBytes = scripts.tessel.size();
    std::tie(row.tessel, row.shell) = BestOfRounds(
        settings.repeat,
        {[&] {
             if (inserts)
                 fs::remove(tesselDatabase);
         },
         [&] {
             return RunProgramWithin(
                 CliLaunch(settings, {"run", "--no-rows", script.string()}, dir / "home"),
                 settings.timeout);
         }},
        {[&] {
             if (inserts)
                 fs::remove(shellDatabase);
         },
         [&] {
             return RunProgramWithin(Launch({settings.sqlite3, shellDatabase}).From(shellScript),
                                     settings.timeout);
         }});
    fs::remove(script);
    fs::remove(shellScript);
    return row;
}

void PrintRow(const Row& row) {
    std::printf("  %8d   %12s  %7.1f MB   %12s  %7.1f MB   %7.2f   %7.1f MB\n", row.size,
                SecondsText(row.tessel.seconds).c_str(), row.tessel.peakKilobytes / 1024.0,
                SecondsText(row.shell.seconds).c_str(), row.shell.peakKilobytes / 1024.0,
                row.tessel.seconds / row.shell.seconds, row.scriptBytes / 1048576.0);
}

// The largest size against the smallest; true when the growth stays within its target.
bool PrintGrowth(const std::vector<Row>& rows, double timeout) {
    const Row& small = rows.front();
    const Row& large = rows.back();
    const double target = 1.1 * large.size / small.size;
    // A run stopped at its timeout took longer than the timeout: a lower bound.
    const bool stopped = std::isinf(large.tessel.seconds);
    const double tessel = (stopped ? timeout : large.tessel.seconds) / small.tessel.seconds;
    const bool met = !stopped && tessel <= target;
    std::printf("  growth %d/%d: tessel-cli %s%.2f (target <= %.1f %s), sqlite3 %.2f\n", large.size,
                small.size, stopped ? "> " : "", tessel, target, Verdict(met).c_str(),
                large.shell.seconds / small.shell.seconds);
    std::printf("  peak memory growth: tessel-cli %+.1f MB, script text %+.1f MB\n",
                (large.tessel.peakKilobytes - small.tessel.peakKilobytes) / 1024.0,
                (static_cast<double>(large.scriptBytes) - small.scriptBytes) / 1048576.0);
    return met;
}

std::vector<std::string> SplitList(const std::string& text) {
    std::vector<std::string> items;
    std::stringstream stream(text);
    for (std::string item; std::getline(stream, item, ',');) {
        if (!item.empty())
            items.push_back(item);
    }
    return items;
}

Settings ParseSettings(int argc, char** argv) {
    Settings settings;
    ParseOptions(
        argc, argv, "bench-scaling",
        "  --sizes A,B,...   statement counts (default 10000,100000)\n"
        "  --kinds insert,select\n"
        "  --timeout SECONDS  per run (default 900)\n",
        settings,
        {{"--sizes",
          [&](const std::string& value) {
              settings.sizes.clear();
              for (const auto& size : SplitList(value))
                  settings.sizes.push_back(std::max(1, std::stoi(size)));
              std::sort(settings.sizes.begin(), settings.sizes.end());
          }},
         {"--kinds", [&](const std::string& value) { settings.kinds = SplitList(value); }},
         {"--timeout", [&](const std::string& value) { settings.timeout = std::stod(value); }}});
    if (settings.sizes.size() < 2)
        throw std::runtime_error("--sizes needs at least two sizes");
    for (const auto& kind : settings.kinds) {
        if (kind != "insert" && kind != "select")
            throw std::runtime_error("unknown kind " + kind + " (insert or select)");
    }
    return settings;
}

}  // namespace

int main(int argc, char** argv) {
    return GuardedMain("bench_scaling", [&] {
        const Settings settings = ParseSettings(argc, argv);
        PrintHeader(settings);
        std::vector<std::string> summary;
        for (const auto& kind : settings.kinds) {
            const fs::path dir = settings.dir / kind;
            fs::create_directories(dir);
            if (kind == "select")
                MakeSelectDatabase(settings, dir, (dir / "select.mdb").string());
            std::printf("%s-only scripts\n", kind == "insert" ? "INSERT" : "SELECT");
            std::printf("  %8s   %12s  %10s   %12s  %10s   %7s   %10s\n", "size", "tessel-cli",
                        "peak", "sqlite3", "peak", "ratio", "script");
            std::vector<Row> rows;
            for (const int size : settings.sizes) {
                rows.push_back(MeasureSize(settings, kind, size, dir));
                PrintRow(rows.back());
                std::fflush(stdout);
            }
            summary.push_back(kind + " " + Verdict(PrintGrowth(rows, settings.timeout)));
            std::printf("\n");
        }
        std::printf("summary:");
        for (const auto& item : summary)
            std::printf(" %s;", item.c_str());
        std::printf("\n");
        RemoveWork(settings.dir, settings.kinds);
        return 0;
    });
}
