// The shared state of one run: the current database and how it was reached, the engine
// objects, the time-outs, the recordset bookkeeping, the ODBC connection parts, the editor and
// find state. One instance, owned by the application and passed by reference.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "core/db/engine.h"
#include "core/ui.h"

namespace tessel {

// The application's title: captions of boxes that speak for the program itself.
inline constexpr const char* kAppTitle = "Ollam Quillet script editor";
// The source of the program's own errors (the caption of their standard error box), which is
// the program's short name, as it is for errors raised in any program of its kind.
inline constexpr const char* kErrorSource = "Quillet";
inline constexpr const char* kMainWindowCaption = kAppTitle;

struct OdbcParts {
    std::string dataSourceName;
    std::string database;
    std::string user;
    std::string password;
    std::string driver;
    std::string server;
    std::string description;
};

// The database that script statements and the tree work on, and how it was reached.
struct CurrentDatabaseState {
    std::unique_ptr<db::Database> currentDatabase;
    bool databaseOpen = false;
    std::string currentDatabaseFileName;
    std::string currentConnect;
    std::string connectionType = "Access";
    int versionIndex = 3;
    int databaseVersionOption = 0;
    int queryTimeout = 0;
};

// The engine's objects that outlive one database: the workspaces and the connection that
// statements run through.
struct EngineObjects {
    std::unique_ptr<db::Workspace> jetWorkspace;
    std::unique_ptr<db::Workspace> odbcWorkspace;
    // The connection to the data source last connected; none while the data source itself
    // is the current database.
    std::unique_ptr<db::Database> odbcConnection;
    std::unique_ptr<db::StatementConnection> adoConnection;
    int loginTimeout = 0;
};

// The parts of the ODBC connection, and whether the driver may ask for what is missing.
struct OdbcConnection : OdbcParts {
    bool odbcSilent = false;
};

struct RecordsetBookkeeping {
    // Not limited to 16 bits: a script may capture any number of recordsets.
    long recordsetCount = 0;
    // Highest recordset number written since the last clean-up, so that closing deletes every
    // file a run wrote, also after a later, shorter run.
    long recordsetHighWater = 0;
    std::string recordsetFileName;
};

// The script in the editor and the file it came from.
struct EditorState {
    bool scriptChanged = false;
    std::string currentScriptFileName = "template.sqv";
    std::string scriptFileFilter;
    // The common dialog keeps its title and flags between uses, as commands rely on.
    FileDialogRequest commonDialog;
};

struct FindState {
    std::string findText;
    bool matchCase = false;
    int direction = 1;  // 1 down, any other value up
    int lastFoundPosition = 0;
    bool newSearch = false;
};

// The ANSI export's text, and whether a file write is an export.
struct ExportState {
    std::string exportText;
    bool exportMode = false;
};

// Type lists read by the ANSI conversion.
struct TypeLists {
    std::vector<std::string> JetTypeList;
    std::vector<std::string> NoSizeTypeList;
    std::vector<std::string> ANSIMappedTypeList;
};

// What the replication tools keep for the whole run: the file titles that the replica and
// synchronisation tools name, and the synchronisation direction (1, 2 or 4).
struct ReplicationState {
    std::string firstFileTitle;
    std::string secondFileTitle;
    int synchronisationDirection = 4;
};

struct AppOptions {
    // The application directory (recordset files, export/, scripts/, template.sqv).
    std::string appPath;
};

struct SharedState {
    CurrentDatabaseState current;
    EngineObjects engineObjects;
    OdbcConnection odbc;
    RecordsetBookkeeping recordsets;
    EditorState editor;
    FindState find;
    ExportState ansiExport;
    TypeLists types;
    ReplicationState replication;
    AppOptions app;
};

// Fills the three type lists in their fixed orders.
void FillTypeLists(TypeLists& types);

}  // namespace tessel
