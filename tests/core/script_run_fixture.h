// A session for running scripts: a scripted person, a temporary directory that holds the
// databases, and an application directory inside it for the recordset files.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/script/recordset_file.h"
#include "core/script/script_runner.h"
#include "core/session/session.h"
#include "support/database_rows.h"
#include "support/scripted_ui.h"
#include "support/temp_dir.h"

namespace tessel::test {

class ScriptRunTest : public ::testing::Test {
  protected:
    ScriptRunTest() {
        session.state.engineObjects.jetWorkspace =
            session.engine.CreateWorkspace("tessel", "admin", "");
        session.state.app.appPath = dir.File("app");
        std::filesystem::create_directory(session.state.app.appPath);
    }

    // Script > Execute over `script` as the editor's text.
    void Run(const std::string& script) {
        ui.editorText = script;
        ScriptExecute(session);
    }

    std::string RecordsetPath(long number) const {
        return RecordsetFilePath(session.state.app.appPath, number);
    }

    // The first column of every row that `sql` returns from the database file, read with SQLite
    // itself rather than through the program.
    std::vector<std::string> Column(const std::string& database, const std::string& sql) const {
        return FirstColumn(database, sql);
    }

    std::string Boxes() const { return ui.BoxLog(); }

    ScriptedUi ui;
    Session session{ui};
    TempDir dir;
};

}  // namespace tessel::test
