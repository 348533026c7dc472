#include "core/db/drivers/sqlite/sqlite_driver.h"

#include "core/db/connection_text.h"
#include "core/db/drivers/sqlite/database.h"
#include "core/db/drivers/sqlite/database_password.h"
#include "core/db/drivers/sqlite/file_probe.h"
#include "core/db/drivers/sqlite/handle_pool.h"
#include "core/db/drivers/sqlite/maintenance.h"
#include "core/db/drivers/sqlite/repair.h"
#include "core/db/drivers/sqlite/statement_connection.h"

namespace tessel::db::sqlite {
namespace {

class SqliteDriver : public Driver {
  public:
    std::string Name() const override { return "SQLite database files"; }
    std::vector<Family> Families() const override { return {Family::Access}; }
    DriverCapabilities Capabilities() const override {
        return {.read = true, .write = true, .ddl = true, .transactions = true, .passwords = true};
    }

    bool Recognises(const std::string& path) const override {
        try {
            return ProbeDatabaseFile(path) != FileKind::Jet;
        } catch (const EngineError&) {
            return false;
        }
    }

    bool Holds(const std::string& path) const override { return pool_.Holds(path); }

    std::unique_ptr<Database> Open(const OpenRequest& request) override {
        auto handle =
            pool_.Acquire(request.name, request.readOnly, ConnectValue(request.connect, "pwd"));
        CheckDatabasePassword(*handle, request.connect);
        return MakeDatabase(std::move(handle), request.name, request.connect);
    }

    std::unique_ptr<StatementConnection> Connect(const std::string& name,
                                                 const std::string& connectionString) override {
        auto handle = pool_.Acquire(name, false);
        // Statements reach a protected file only after the database was opened with its
        // password in this run.
        CheckDatabasePassword(*handle, "");
        return MakeStatementConnection(std::move(handle), connectionString);
    }

    // Attached to the statement's connection; a protected file only with its password, given
    // in the connect text or when the database was opened in this run.
    ExternalDatabase External(const std::string& name, const std::string& connect) override {
        auto handle = pool_.Acquire(name, false, ConnectValue(connect, "pwd"));
        CheckDatabasePassword(*handle, connect);
        return {nullptr, name, {}, ProbeDatabaseFile(name, true) == FileKind::Encrypted};
    }

    void Create(const std::string& name, int format, const std::string& password) override {
        CreateDatabaseFile(name, VersionForFormat(format), password);
    }

    void Compact(const std::string& source, const std::string& destination, int format,
                 const std::optional<std::string>& password) override {
        // An encrypted source is read with the key of an earlier open, or with the password
        // given for the copy when it is also the source's.
        FileIdentity identity;
        std::shared_ptr<const crypt::FileKey> sourceKey;
        if (ProbeDatabaseFile(source, false, &identity) == FileKind::Encrypted)
            sourceKey = pool_.Unlock(source, *identity.salt, password);
        CompactDatabaseFile(source, destination, format, password, sourceKey);
    }

    std::vector<std::string> Repair(const std::string& name) override {
        pool_.Clear();
        return RepairDatabaseFile(name);
    }

    void ReleaseFiles() override { pool_.Clear(); }

    std::vector<std::string> OpenTransactions() const override { return pool_.OpenTransactions(); }
    void RollBackOpenTransactions() override { pool_.RollBackOpenTransactions(); }

    void SetProgressHook(std::shared_ptr<const std::function<bool()>> keepGoing) override {
        pool_.SetProgressHook(std::move(keepGoing));
    }

  private:
    HandlePool pool_;
};

}  // namespace

std::unique_ptr<Driver> MakeSqliteDriver() {
    return std::make_unique<SqliteDriver>();
}

}  // namespace tessel::db::sqlite
