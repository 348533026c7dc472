#include "core/db/engine.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "core/db/connection_text.h"
#include "core/db/drivers/sqlite/database.h"
#include "core/db/drivers/sqlite/database_password.h"
#include "core/db/drivers/sqlite/maintenance.h"
#include "core/db/drivers/sqlite/repair.h"
#include "core/db/drivers/sqlite/statement_connection.h"
#include "core/db/engine_pool.h"
#include "core/db/names.h"

namespace tessel::db {
namespace {

[[noreturn]] void ThrowNoDriver(const std::string& connect) {
    throw EngineError(err::kNoDriver,
                      "No driver is available for the connection type '" + connect + "' yet.");
}

std::string WithoutTrailingSemicolon(std::string text) {
    while (!text.empty() && (text.back() == ';' || text.back() == ' '))
        text.pop_back();
    return text;
}

}  // namespace

// ---- Workspace ----

Workspace::Workspace(Engine& engine, std::string name, std::string user)
    : engine_(engine), name_(std::move(name)), user_(std::move(user)) {}

std::unique_ptr<Database> Workspace::OpenDatabase(const std::string& name, bool exclusive,
                                                  bool readOnly, const std::string& connect) {
    if (closed_) {
        throw EngineError(err::kObjectClosed, "The workspace '" + name_ +
                                                  "' was closed; no database can be opened "
                                                  "through it.");
    }
    return engine_.OpenDatabase(name, exclusive, readOnly, connect);
}

// ---- Engine ----

Engine::Engine() : pool_(std::make_unique<Pool>()) {}
Engine::~Engine() = default;

std::unique_ptr<Workspace> Engine::CreateWorkspace(const std::string& name, const std::string& user,
                                                   const std::string& /*password*/) {
    return std::make_unique<Workspace>(*this, name, user.empty() ? std::string("admin") : user);
}

std::unique_ptr<Database> Engine::OpenDatabase(const std::string& name, bool /*exclusive*/,
                                               bool readOnly, const std::string& connect) {
    if (!IsDefaultConnect(connect))
        ThrowNoDriver(connect);
    auto handle = pool_->Acquire(name, readOnly);
    sqlite::CheckDatabasePassword(*handle, connect);
    return sqlite::MakeDatabase(std::move(handle), name, connect);
}

void Engine::CreateDatabase(const std::string& name, const std::string& locale, int options) {
    // The locale text may carry the new database's password: ";LANGID=...;pwd=secret".
    sqlite::CreateDatabaseFile(name, sqlite::VersionForFormat(options),
                               ConnectValue(locale, "pwd").value_or(""));
}

void Engine::CompactDatabase(const std::string& source, const std::string& destination,
                             const std::string& locale, int options) {
    // As with CreateDatabase, ";pwd=..." in the locale gives the new file a new password.
    sqlite::CompactDatabaseFile(source, destination, options, ConnectValue(locale, "pwd"));
}

void Engine::RepairDatabase(const std::string& name) {
    pool_->Clear();
    sqlite::RepairDatabaseFile(name);
}

void Engine::SetProgressHook(std::function<bool()> keepGoing) {
    pool_->SetProgressHook(std::move(keepGoing));
}

std::unique_ptr<StatementConnection> Engine::OpenConnection(const std::string& connectionString) {
    const ConnectionTarget target = ParseConnectionString(connectionString);
    const std::string source = WithoutTrailingSemicolon(target.dataSource);
    if (source.empty()) {
        throw EngineError(err::kOdbcFailed, "The connection string '" + connectionString +
                                                "' names no data source (DSN=...).");
    }
    if (SameName(source, "MS Access 97 Database")) {
        if (target.file.empty()) {
            throw EngineError(err::kBadPath, "The connection string '" + connectionString +
                                                 "' names no database file (DBQ=...).");
        }
        auto handle = pool_->Acquire(target.file, false);
        // Statements reach a protected file only after the database was opened with its
        // password in this run.
        sqlite::CheckDatabasePassword(*handle, "");
        return sqlite::MakeStatementConnection(std::move(handle), connectionString);
    }
    for (const char* builtIn : {"dBASE Files", "FoxPro Files", "Paradox Files", "Excel Files",
                                "Text Files", "Btrieve Files"}) {
        if (SameName(source, builtIn)) {
            throw EngineError(err::kNoDriver, "No driver is available for the data source '" +
                                                  source + "' yet, so the statement cannot run.");
        }
    }
    throw EngineError(err::kOdbcFailed,
                      "ODBC data sources are not supported yet: the data "
                      "source '" +
                          source + "' cannot be reached.");
}

}  // namespace tessel::db
