// Running the script generated from a database of many tables, against the sqlite3 shell
// running the same DDL.
//
//   bench_generated_ddl [--cli PATH] [--sqlite3 PATH] [--dir DIR] [--repeat N] [--tables N]
//
// A database of N tables (1,000) with 10 fields and 3 indexes each is made, its script written
// by `tessel-cli generate DB` into a file, and that script, its dbMake pointed at a new file,
// run by `tessel-cli run`. The reference is the shell running the script's CREATE TABLE and
// CREATE INDEX statements as they are (the shell takes the Jet type names as declared types) on
// a new file. Each statement commits on its own in both. Prints both times and their ratio
// (target: at most 2); both new databases are checked to hold every table and index.
#include <cctype>
#include <cstdio>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench_support.h"
#include "core/session/session.h"
#include "silent_ui.h"
#include "wide_database.h"

namespace {

using namespace tessel::bench;

struct Settings : CommonSettings {
    int tables = kWideTables;
};

bool StartsWithWord(const std::string& text, const std::string& word) {
    if (text.size() < word.size())
        return false;
    for (std::size_t i = 0; i < word.size(); ++i) {
        if (std::toupper(static_cast<unsigned char>(text[i])) != word[i])
            return false;
    }
    return text.size() == word.size() ||
           std::isspace(static_cast<unsigned char>(text[word.size()]));
}

// dbConnect, dbVersion and the other commands of a script begin with "db".
bool IsCommand(const std::string& line) {
    return line.size() > 2 && std::tolower(static_cast<unsigned char>(line[0])) == 'd' &&
           std::tolower(static_cast<unsigned char>(line[1])) == 'b';
}

std::string Trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        return "";
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

struct Adapted {
    std::string script;  // for tessel-cli: the generated one, making `database`
    std::string shell;   // its CREATE statements for the shell
    int statements = 0;  // how many CREATE statements
};

// The generated script with its dbMake pointed at `database` (or one put first), and its
// statements for the shell: comments and the script's own commands are left out.
Adapted Adapt(const std::string& generated, const std::string& database) {
    Adapted adapted;
    bool made = false;
    std::stringstream lines(generated);
    std::string pending;
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        const std::string trimmed = Trimmed(line);
        if (StartsWithWord(trimmed, "DBMAKE")) {
            adapted.script += "dbMake " + database + ";\r\n";
            made = true;
            continue;
        }
        adapted.script += line + "\r\n";
        if (trimmed.rfind("//", 0) == 0 || (pending.empty() && IsCommand(trimmed)))
            continue;
        pending += (pending.empty() ? "" : "\n") + line;
        if (!trimmed.empty() && trimmed.back() == ';') {
            const std::string statement = Trimmed(pending);
            pending.clear();
            if (!StartsWithWord(statement, "CREATE"))
                throw std::runtime_error(
                    "the generated script holds a statement that is not a "
                    "CREATE: " +
                    statement.substr(0, 80));
            adapted.shell += statement + "\n";
            ++adapted.statements;
        }
    }
    if (!made)
        adapted.script = "dbMake " + database + ";\r\n" + adapted.script;
    return adapted;
}

// Tables and indexes in the SQLite file that the wide database made, read by the shell.
std::string CountObjects(const Settings& settings, const fs::path& dir, const std::string& path) {
    const fs::path out = dir / "count.txt";
    RunProgram(Launch({settings.sqlite3, path,
                       "SELECT count(*) FROM sqlite_master WHERE name LIKE 'Table%' AND type = "
                       "'table'; SELECT count(*) FROM sqlite_master WHERE type = 'index' AND "
                       "tbl_name LIKE 'Table%' AND name NOT LIKE 'sqlite_autoindex%';"})
                   .To(out.string()));
    std::string text = ReadText(out);
    fs::remove(out);
    for (char& c : text) {
        if (c == '\n')
            c = ' ';
    }
    return Trimmed(text);
}

Settings ParseSettings(int argc, char** argv) {
    Settings settings;
    ParseOptions(argc, argv, "bench-generated-ddl",
                 "  --tables N       tables of the database (default 1000)\n", settings,
                 {{"--tables", [&](const std::string& value) {
                       settings.tables = std::max(1, std::stoi(value));
                   }}});
    return settings;
}

}  // namespace

int main(int argc, char** argv) {
    return GuardedMain("bench_generated_ddl", [&] {
        const Settings settings = ParseSettings(argc, argv);
        const fs::path dir = settings.dir / "generated-ddl";
        fs::create_directories(dir);
        PrintHeader(settings);

        const std::string source = (dir / "source.mdb").string();
        fs::remove(source);
        {
            SilentUi ui;
            tessel::Session session(ui);
            MakeWideDatabase(session, source, settings.tables);
        }
        const fs::path generated = dir / "generated.sqv";
        const Measure generate = RunProgram(
            CliLaunch(settings, {"generate", source}, dir / "home").To(generated.string()));

        const std::string made = (dir / "made.mdb").string();
        const std::string reference = (dir / "reference.db").string();
        const Adapted adapted = Adapt(ReadText(generated), made);
        const int expected = settings.tables * 4;
        if (adapted.statements != expected) {
            throw std::runtime_error("the generated script holds " +
                                     std::to_string(adapted.statements) +
                                     " CREATE statements instead of " + std::to_string(expected));
        }
        WriteText(dir / "run.sqv", adapted.script);
        WriteText(dir / "ddl.sql", adapted.shell);
        std::printf("%d tables x %d fields x 3 indexes: generated script %.1f MB in %.2f s\n",
                    settings.tables, kWideFieldsPerTable, fs::file_size(generated) / 1048576.0,
                    generate.seconds);

        const auto [tessel, shell] = BestOfRounds(
            settings.repeat,
            {[&] { fs::remove(made); },
             [&] {
                 return RunProgram(CliLaunch(
                     settings, {"run", "--no-rows", (dir / "run.sqv").string()}, dir / "home"));
             }},
            {[&] { fs::remove(reference); },
             [&] {
                 return RunProgram(
                     Launch({settings.sqlite3, reference}).From((dir / "ddl.sql").string()));
             }});
        const std::string wanted =
            std::to_string(settings.tables) + " " + std::to_string(settings.tables * 3);
        for (const auto& path : {made, reference}) {
            if (const std::string found = CountObjects(settings, dir, path); found != wanted) {
                throw std::runtime_error(path + " holds " + found + " tables and indexes, not " +
                                         wanted);
            }
        }
        const double ratio = tessel.seconds / shell.seconds;
        std::printf("  tessel-cli run   %8.2f s   peak %6.1f MB\n", tessel.seconds,
                    tessel.peakKilobytes / 1024.0);
        std::printf("  sqlite3 shell    %8.2f s   peak %6.1f MB   (%d statements)\n", shell.seconds,
                    shell.peakKilobytes / 1024.0, adapted.statements);
        std::printf("  ratio            %8.2f   (target <= 2 %s)\n", ratio,
                    Verdict(ratio <= 2).c_str());
        RemoveWork(settings.dir, {"generated-ddl"});
        return 0;
    });
}
