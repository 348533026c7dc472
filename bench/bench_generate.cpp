// Benchmark of the schema script generator and the ANSI export.
//
// Generates the script of a database of 1,000 tables with 10 fields and 3 indexes each, and
// converts a script of about 1 MB to ANSI SQL; prints both times (each should stay under one
// second) and, for the generator, the ratio to the sqlite3 shell's ".schema" on the same file.
//
// Usage: bench_generate [WORK_DIRECTORY]   (default: a new directory under /tmp)
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>

#include "core/generate/ansi_export.h"
#include "core/generate/schema_script.h"
#include "core/session/session.h"
#include "silent_ui.h"
#include "wide_database.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::size_t kExportBytes = 1 << 20;

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
    namespace fs = std::filesystem;
    fs::path work = argc > 1 ? fs::path(argv[1])
                             : fs::temp_directory_path() /
                                   ("tessel-bench-generate-" + std::to_string(::getpid()));
    fs::create_directories(work);
    const std::string path = (work / "bench.mdb").string();
    fs::remove(path);

    tessel::bench::SilentUi ui;
    tessel::Session session(ui);
    tessel::FillTypeLists(session.state.types);
    std::cout << "making " << tessel::bench::kWideTables << " tables x "
              << tessel::bench::kWideFieldsPerTable << " fields x 3 indexes ...\n";
    try {
        tessel::bench::MakeWideDatabase(session, path);
        session.state.current.currentDatabase = session.engine.OpenDatabase(path, false, true, "");
    } catch (const tessel::db::EngineError& error) {
        std::cerr << "could not make the database: " << error.Description() << '\n';
        return 1;
    }

    // What the engine alone costs: the same structure reads that the generator makes.
    auto& database = *session.state.current.currentDatabase;
    double fieldSeconds = 0;
    double indexSeconds = 0;
    std::size_t fields = 0;
    std::size_t indexes = 0;
    for (const auto& table : database.TableDefs()) {
        auto start = Clock::now();
        fields += database.Fields(table.name).size();
        fieldSeconds += SecondsSince(start);
        start = Clock::now();
        indexes += database.Indexes(table.name).size();
        indexSeconds += SecondsSince(start);
    }
    std::cout << "engine structure reads: Fields " << fieldSeconds << " s (" << fields
              << "), Indexes " << indexSeconds << " s (" << indexes << ")\n";

    auto start = Clock::now();
    tessel::GenerateSQL(session);
    const double generateSeconds = SecondsSince(start);
    const std::string script = ui.editor;
    std::cout << "generate: " << generateSeconds << " s for " << script.size() << " bytes"
              << (generateSeconds < 1.0 ? " (under 1 s)" : " (OVER 1 s)") << '\n';

    start = Clock::now();
    const std::string shell = "sqlite3 '" + path + "' .schema > /dev/null 2>&1";
    if (std::system(shell.c_str()) == 0) {
        const double shellSeconds = SecondsSince(start);
        std::cout << "sqlite3 .schema: " << shellSeconds
                  << " s; generate / .schema = " << generateSeconds / shellSeconds << '\n';
    } else {
        std::cout << "sqlite3 shell not available: no ratio\n";
    }

    // About 1 MB of generated scripts, each with its commands and comments.
    std::string big;
    while (big.size() < kExportBytes)
        big += script;
    ui.editor = big;
    start = Clock::now();
    const bool converted = tessel::ConvertSQL(session);
    const double exportSeconds = SecondsSince(start);
    std::cout << "export: " << exportSeconds << " s for " << big.size() << " bytes -> "
              << session.state.ansiExport.exportText.size() << " bytes"
              << (exportSeconds < 1.0 ? " (under 1 s)" : " (OVER 1 s)") << '\n';

    if (argc <= 1)
        fs::remove_all(work);
    return converted && ui.boxes == 0 ? 0 : 1;
}
