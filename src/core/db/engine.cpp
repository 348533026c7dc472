#include "core/db/engine.h"

#include "core/db/connection_text.h"
#include "core/db/connection_types.h"
#include "core/db/driver_registry.h"
#include "core/db/drivers/odbc/odbc_registration.h"
#include "core/db/names.h"

namespace tessel::db {
namespace {

std::string WithoutTrailingSemicolon(std::string text) {
    while (!text.empty() && (text.back() == ';' || text.back() == ' '))
        text.pop_back();
    return text;
}

Family FamilyOfConnectOrThrow(const std::string& connect, const std::string& name) {
    if (auto family = FamilyOfConnect(connect))
        return *family;
    throw EngineError(err::kNoDriver, "'" + name + "' cannot be opened: the connection type '" +
                                          connect +
                                          "' is not one this program knows. Choose one of the "
                                          "connection types in Tools > Options.");
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

Engine::Engine() : drivers_(std::make_unique<DriverRegistry>()) {
    RegisterBuiltInDrivers(*drivers_);
    SetLoginTimeout(loginTimeout_);
}

void Engine::SetLoginTimeout(int seconds) {
    loginTimeout_ = seconds;
    drivers_->ForEach([&](Driver& driver) { driver.SetLoginTimeout(seconds); });
}

void Engine::RegisterDatabase(const std::string& dataSourceName, const std::string& driver,
                              bool silent, const std::string& attributes) {
    odbc::RegisterDataSource(dataSourceName, driver, silent, attributes);
}
Engine::~Engine() = default;

std::unique_ptr<Workspace> Engine::CreateWorkspace(const std::string& name, const std::string& user,
                                                   const std::string& /*password*/) {
    return std::make_unique<Workspace>(*this, name, user.empty() ? std::string("admin") : user);
}

std::unique_ptr<Database> Engine::OpenDatabase(const std::string& name, bool exclusive,
                                               bool readOnly, const std::string& connect) {
    const Family family = FamilyOfConnectOrThrow(connect, name);
    return drivers_->ForOpen(family, name, connect).Open({name, connect, exclusive, readOnly});
}

void Engine::CreateDatabase(const std::string& name, const std::string& locale, int options) {
    // The locale text may carry the new database's password: ";LANGID=...;pwd=secret".
    drivers_->ForCreate(Family::Access, name)
        .Create(name, options, ConnectValue(locale, "pwd").value_or(""));
}

void Engine::CompactDatabase(const std::string& source, const std::string& destination,
                             const std::string& locale, int options) {
    // As with CreateDatabase, ";pwd=..." in the locale gives the new file a new password.
    drivers_->ForOpen(Family::Access, source)
        .Compact(source, destination, options, ConnectValue(locale, "pwd"));
}

std::vector<std::string> Engine::RepairDatabase(const std::string& name) {
    // Every driver lets go of its files first: the repair replaces the file.
    drivers_->ForEach([](Driver& driver) { driver.ReleaseFiles(); });
    return drivers_->ForOpen(Family::Access, name).Repair(name);
}

std::vector<std::string> Engine::OpenTransactions() const {
    std::vector<std::string> names;
    drivers_->ForEach([&](Driver& driver) {
        for (auto& name : driver.OpenTransactions())
            names.push_back(std::move(name));
    });
    return names;
}

void Engine::RollBackOpenTransactions() {
    drivers_->ForEach([](Driver& driver) { driver.RollBackOpenTransactions(); });
}

void Engine::SetProgressHook(std::function<bool()> keepGoing) {
    keepGoing_ =
        keepGoing ? std::make_shared<const std::function<bool()>>(std::move(keepGoing)) : nullptr;
    if (uninterrupted_ == 0)
        ApplyProgressHook(keepGoing_);
}

void Engine::ApplyProgressHook(const std::shared_ptr<const std::function<bool()>>& keepGoing) {
    drivers_->ForEach([&](Driver& driver) { driver.SetProgressHook(keepGoing); });
}

Engine::UninterruptedScope::UninterruptedScope(Engine& engine) : engine_(engine) {
    if (engine_.uninterrupted_++ == 0 && engine_.keepGoing_)
        engine_.ApplyProgressHook(nullptr);
}

Engine::UninterruptedScope::~UninterruptedScope() {
    if (--engine_.uninterrupted_ == 0 && engine_.keepGoing_)
        engine_.ApplyProgressHook(engine_.keepGoing_);
}

std::unique_ptr<StatementConnection> Engine::OpenConnection(const std::string& connectionString) {
    const ConnectionTarget target = ParseConnectionString(connectionString);
    const std::string source = WithoutTrailingSemicolon(target.dataSource);
    if (source.empty()) {
        throw EngineError(err::kOdbcFailed, "The connection string '" + connectionString +
                                                "' names no data source (DSN=...).");
    }
    const std::optional<Family> family = FamilyOfDataSource(source);
    if (!family)
        return drivers_->ForOpen(Family::Odbc, source).Connect(source, connectionString);
    if (target.file.empty()) {
        throw EngineError(err::kBadPath, "The connection string '" + connectionString +
                                             "' names no database file (DBQ=...).");
    }
    auto connection =
        drivers_->ForOpen(*family, target.file, source).Connect(target.file, connectionString);
    DriverRegistry* drivers = drivers_.get();
    connection->FindOtherDatabasesWith(
        [drivers](const std::string& connect, const std::string& path) {
            return drivers->FindExternal(connect, path);
        });
    return connection;
}

}  // namespace tessel::db
