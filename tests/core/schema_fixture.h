// A session with databases made through the engine, for the generator's tests: a new file,
// statements run through the statement runner, and the file opened as the current database.
#pragma once

#include <sqlite3.h>

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "core/session/session.h"
#include "support/scripted_ui.h"
#include "support/temp_dir.h"

namespace tessel::test {

class SchemaTest : public ::testing::Test {
  protected:
    // The connection text that the script engine builds for a single-file database.
    static std::string ConnectionFor(const std::string& file) {
        return "Provider=MSDASQL.1;Extended Properties=DSN=MS Access 97 Database;DBQ=" + file + ";";
    }

    // A new database file with `statements` run in it.
    std::string MakeDatabase(const std::string& name, const std::vector<std::string>& statements) {
        const std::string path = dir.File(name);
        session.engine.CreateDatabase(path, "", 32);
        Run(path, statements);
        return path;
    }

    void Run(const std::string& path, const std::vector<std::string>& statements) {
        auto connection = session.engine.OpenConnection(ConnectionFor(path));
        for (const auto& statement : statements)
            connection->Execute(statement);
    }

    // Runs raw SQL on the file, past the engine, as another tool would: for facts that no
    // statement of the engine can make.
    void RawSql(const std::string& path, const std::string& sql) {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
        char* error = nullptr;
        const int rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error);
        const std::string message = error ? error : "";
        sqlite3_free(error);
        sqlite3_close(db);
        ASSERT_EQ(rc, SQLITE_OK) << message;
    }

    void OpenAsCurrent(const std::string& path, const std::string& connect = "") {
        session.state.current.currentDatabase =
            session.engine.OpenDatabase(path, false, false, connect);
        session.state.current.currentDatabaseFileName = path;
        session.state.current.databaseOpen = true;
    }

    // The editor's text cut into its lines (each ended by CR LF).
    std::vector<std::string> EditorLines() const {
        std::vector<std::string> lines;
        const std::string& text = ui.editorText;
        std::size_t start = 0;
        while (start < text.size()) {
            const auto end = text.find("\r\n", start);
            if (end == std::string::npos) {
                lines.push_back(text.substr(start) + "<no line end>");
                break;
            }
            lines.push_back(text.substr(start, end - start));
            start = end + 2;
        }
        return lines;
    }

    ScriptedUi ui;
    Session session{ui};
    TempDir dir;
};

}  // namespace tessel::test
