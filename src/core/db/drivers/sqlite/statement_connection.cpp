#include "core/db/drivers/sqlite/statement_connection.h"

#include "core/db/drivers/sqlite/statement_runner.h"

namespace tessel::db::sqlite {
namespace {

class SqliteStatementConnection : public StatementConnection {
  public:
    SqliteStatementConnection(std::shared_ptr<Handle> handle, std::string connectionString)
        : handle_(std::move(handle)),
          connectionString_(std::move(connectionString)),
          externals_(handle_) {}

    std::string ConnectionString() const override { return connectionString_; }

    void FindOtherDatabasesWith(ExternalDatabaseFinder finder) override {
        externals_.SetFinder(std::move(finder));
    }

    std::unique_ptr<Cursor> Execute(const std::string& statement) override {
        return ExecuteJetStatement(*handle_, statement, externals_);
    }

  private:
    std::shared_ptr<Handle> handle_;
    std::string connectionString_;
    vtab::ExternalAttachments externals_;  // detached before the handle is let go
};

}  // namespace

std::unique_ptr<StatementConnection> MakeStatementConnection(std::shared_ptr<Handle> handle,
                                                             std::string connectionString) {
    return std::make_unique<SqliteStatementConnection>(std::move(handle),
                                                       std::move(connectionString));
}

}  // namespace tessel::db::sqlite
