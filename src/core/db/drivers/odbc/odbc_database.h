// A data source as the current database: its tables, views, columns, indexes and keys read
// from the driver's catalogue functions (SQLTables, SQLColumns, SQLStatistics, SQLPrimaryKeys,
// SQLForeignKeys), so that the tree and the generator see a server's structure. A catalogue
// function that fails leaves out what it would have told; it never ends the reading.
#pragma once

#include <memory>
#include <string>

#include "core/db/drivers/odbc/odbc_link.h"
#include "core/db/engine.h"

namespace tessel::db::odbc {

class OdbcDatabase : public Database {
  public:
    explicit OdbcDatabase(std::shared_ptr<Link> link);

    std::string Name() const override;
    std::string Connect() const override { return "ODBC;" + link_->Completed(); }
    std::string Version() override;

    std::vector<TableInfo> TableDefs() override;
    std::vector<std::string> QueryDefs() override;
    std::vector<FieldInfo> Fields(const std::string& table) override;
    std::vector<IndexInfo> Indexes(const std::string& table) override;

    std::vector<Property> Properties() override;
    std::vector<Property> TableProperties(const std::string& table) override;
    std::vector<Property> QueryProperties(const std::string& query) override;
    std::vector<Property> FieldProperties(const std::string& table,
                                          const std::string& field) override;
    std::vector<Property> IndexProperties(const std::string& table,
                                          const std::string& index) override;
    void CreateProperty(const std::string& name, int type, const Value& value) override;

    int QueryTimeout() override { return Live().queryTimeout; }
    void SetQueryTimeout(int seconds) override { Live().queryTimeout = seconds; }

    void RenameTable(const std::string& from, const std::string& to) override;
    void RenameQuery(const std::string& from, const std::string& to) override;
    void RenameField(const std::string& table, const std::string& from,
                     const std::string& to) override;
    void RenameIndex(const std::string& table, const std::string& from,
                     const std::string& to) override;

    void Close() override { link_.reset(); }

    // The database file the data source stands for ("" for a server).
    std::string DatabaseFile() const;

  private:
    Link& Live() const;
    std::vector<std::string> ObjectNames(const char* type);
    std::shared_ptr<Link> link_;
    std::string name_;
};

}  // namespace tessel::db::odbc
