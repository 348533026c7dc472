#include "core/db/drivers/sqlite/statement_connection.h"

#include "core/db/drivers/sqlite/statement_runner.h"

namespace tessel::db::sqlite {
namespace {

class SqliteStatementConnection : public StatementConnection {
  public:
    SqliteStatementConnection(std::shared_ptr<Handle> handle, std::string connectionString)
        : handle_(std::move(handle)), connectionString_(std::move(connectionString)) {}

    std::string ConnectionString() const override { return connectionString_; }

    std::unique_ptr<Cursor> Execute(const std::string& statement) override {
        return ExecuteJetStatement(*handle_, statement);
    }

  private:
    std::shared_ptr<Handle> handle_;
    std::string connectionString_;
};

}  // namespace

std::unique_ptr<StatementConnection> MakeStatementConnection(std::shared_ptr<Handle> handle,
                                                             std::string connectionString) {
    return std::make_unique<SqliteStatementConnection>(std::move(handle),
                                                       std::move(connectionString));
}

}  // namespace tessel::db::sqlite
