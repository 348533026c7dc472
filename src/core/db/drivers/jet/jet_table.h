// One table of a Jet/ACE file: its fields and indexes as the engine describes them, and its
// rows read forward. Each open table has its own libmdb handle on the shared file, so that two
// scans (the two sides of a join) never read each other's page.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "core/db/drivers/jet/jet_file.h"
#include "core/db/table_store.h"

namespace tessel::db::jet {

// What the engine needs of one stored column besides its FieldInfo.
struct JetColumn {
    FieldInfo field;
    int storedType = 0;  // libmdb's (the file's) type code
    int scale = 0;
    // A calculated field's value is stored wrapped, of the type it computes (a stored type code).
    bool calculated = false;
    int resultType = 0;
};

class JetTable {
  public:
    // Opens the table `name` (as the catalogue spells it); throws err::kItemNotFound when the
    // file has no such table, 3049 when its definition is damaged.
    JetTable(std::shared_ptr<JetFile> file, const std::string& name);
    ~JetTable();
    JetTable(const JetTable&) = delete;
    JetTable& operator=(const JetTable&) = delete;

    const std::string& Name() const { return name_; }
    const std::vector<JetColumn>& Columns() const { return columns_; }
    std::vector<FieldInfo> Fields() const;
    std::vector<IndexInfo> Indexes();

    // The next row, one value per column; false at the end of the table.
    bool Next(Row& row);

  private:
    Value ValueOf(const JetColumn& column, std::string_view stored, bool isNull);

    std::shared_ptr<JetFile> file_;
    std::string name_;
    MdbHandle* handle_ = nullptr;  // this table's own handle on the file
    MdbTableDef* table_ = nullptr;
    std::vector<JetColumn> columns_;
    std::vector<MdbField> fields_;
};

}  // namespace tessel::db::jet
