#include "core/db/drivers/odbc/odbc_driver.h"

#include "core/db/drivers/odbc/odbc_cursor.h"
#include "core/db/drivers/odbc/odbc_database.h"
#include "core/db/drivers/odbc/odbc_link.h"
#include "core/db/odbc.h"

namespace tessel::db::odbc {

namespace {

class OdbcStatementConnection : public StatementConnection {
  public:
    OdbcStatementConnection(std::shared_ptr<Link> link, std::string connectionString)
        : link_(std::move(link)), connectionString_(std::move(connectionString)) {}

    std::string ConnectionString() const override { return connectionString_; }

    std::unique_ptr<Cursor> Execute(const std::string& statement) override {
        Handle handle = link_->NewStatement();
        link_->Execute(handle, statement);
        return std::make_unique<OdbcCursor>(link_, std::move(handle));
    }

    void SetQueryTimeout(int seconds) override { link_->queryTimeout = seconds; }

  private:
    std::shared_ptr<Link> link_;
    std::string connectionString_;
};

class OdbcDriver : public Driver {
  public:
    std::string Name() const override { return "ODBC data sources"; }
    std::vector<Family> Families() const override { return {Family::Odbc}; }
    DriverCapabilities Capabilities() const override {
        return {
            .read = true, .write = true, .ddl = true, .transactions = false, .passwords = false};
    }
    // A data source is named, never recognised from a file.
    bool Recognises(const std::string&) const override { return false; }

    std::unique_ptr<Database> Open(const OpenRequest& request) override {
        return std::make_unique<OdbcDatabase>(Link::Connect(request.connect, loginTimeout_, hook_));
    }

    std::unique_ptr<StatementConnection> Connect(const std::string&,
                                                 const std::string& connectionString) override {
        return std::make_unique<OdbcStatementConnection>(
            Link::Connect(connectionString, loginTimeout_, hook_), connectionString);
    }

    void SetProgressHook(std::shared_ptr<const std::function<bool()>> keepGoing) override {
        *hook_ = std::move(keepGoing);
    }

    void SetLoginTimeout(int seconds) override { loginTimeout_ = seconds; }

  private:
    SharedProgressHook hook_ = std::make_shared<ProgressHook>();
    int loginTimeout_ = 0;
};

}  // namespace

std::unique_ptr<Driver> MakeOdbcDriver() {
    return std::make_unique<OdbcDriver>();
}

}  // namespace tessel::db::odbc

namespace tessel::db {

std::string DataSourceFile(Database& connection) {
    if (auto* source = dynamic_cast<odbc::OdbcDatabase*>(&connection))
        return source->DatabaseFile();
    return {};
}

}  // namespace tessel::db
