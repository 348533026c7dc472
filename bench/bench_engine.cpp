// The engine's own cost per statement, against the sqlite3 shell on the same machine.
//
//   bench_engine [--sqlite3 PATH] [--dir DIR] [--inserts N]
//
// Runs N INSERTs (10,000) into a new single-file database the way scripts run them: for each
// statement a new statement connection, Execute, and a close and reopen of the Database
// object. Then the same statements through `sqlite3 DB < statements` on a new file with the
// same table. Both commit every statement on its own with SQLite's default journal and
// synchronous settings. Prints both times, the ratio (target: at most 1.5), and the average
// cost of opening a connection, of reopening the database and of one INSERT alone.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>

#include "core/db/engine.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since) {
    return std::chrono::duration<double>(Clock::now() - since).count();
}

std::string Insert(int i) {
    return "INSERT INTO T VALUES (" + std::to_string(i) + ", 'customer " + std::to_string(i) +
           "', 12.5)";
}

}  // namespace

int main(int argc, char** argv) {
    std::string sqlite3 = "sqlite3";
    fs::path dir = fs::current_path() / "bench_engine_data";
    int inserts = 10000;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        if (option == "--sqlite3")
            sqlite3 = argv[i + 1];
        if (option == "--dir")
            dir = argv[i + 1];
        if (option == "--inserts")
            inserts = std::atoi(argv[i + 1]);
    }
    fs::remove_all(dir);
    fs::create_directories(dir);
    const std::string ours = (dir / "engine.mdb").string();
    const std::string theirs = (dir / "shell.db").string();
    const std::string connection =
        "Provider=MSDASQL.1;Extended Properties=DSN=MS Access 97 Database;DBQ=" + ours + ";";
    try {
        tessel::db::Engine engine;
        engine.CreateDatabase(ours, "", tessel::db::dbformat::kVersion30);
        engine.OpenConnection(connection)
            ->Execute("CREATE TABLE T (ID LONG, Name TEXT(50), Price DOUBLE)");

        double connecting = 0, executing = 0, reopening = 0;
        const auto start = Clock::now();
        for (int i = 0; i < inserts; ++i) {
            auto t0 = Clock::now();
            auto statements = engine.OpenConnection(connection);
            connecting += Seconds(t0);
            t0 = Clock::now();
            statements->Execute(Insert(i));
            executing += Seconds(t0);
            t0 = Clock::now();
            engine.OpenDatabase(ours, false, false, "")->Close();
            reopening += Seconds(t0);
        }
        const double engineSeconds = Seconds(start);

        {
            std::ofstream script(dir / "statements.sql");
            script << "CREATE TABLE T (ID INTEGER, Name VARCHAR(50), Price DOUBLE);\n";
            for (int i = 0; i < inserts; ++i)
                script << Insert(i) << ";\n";
        }
        const std::string command =
            sqlite3 + " '" + theirs + "' < '" + (dir / "statements.sql").string() + "' > /dev/null";
        const auto shellStart = Clock::now();
        if (std::system(command.c_str()) != 0) {
            std::cerr << "sqlite3 failed: " << command << "\n";
            return 1;
        }
        const double shellSeconds = Seconds(shellStart);

        std::printf("inserts: %d\n", inserts);
        std::printf("engine: %.3f s   sqlite3 shell: %.3f s   ratio: %.3f (target <= 1.5)\n",
                    engineSeconds, shellSeconds, engineSeconds / shellSeconds);
        std::printf(
            "per statement: open connection %.1f us, execute INSERT %.1f us, reopen "
            "database %.1f us\n",
            connecting / inserts * 1e6, executing / inserts * 1e6, reopening / inserts * 1e6);
    } catch (const tessel::db::EngineError& error) {
        std::cerr << error.Number() << ": " << error.Description() << "\n";
        return 1;
    }
    fs::remove_all(dir);
    return 0;
}
