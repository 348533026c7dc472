// One table of a Jet/ACE file: its fields and indexes as the engine describes them, and its
// rows read forward. Each open table has its own libmdb handle on the shared file, so that two
// scans (the two sides of a join) never read each other's page.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "core/db/drivers/jet/jet_definitions.h"
#include "core/db/drivers/jet/jet_file.h"
#include "core/db/table_store.h"

namespace tessel::db::jet {

class JetTable {
  public:
    // Opens the table `name` (as the catalogue spells it); throws err::kItemNotFound when the
    // file has no such table, 3049 when its definition is damaged.
    JetTable(std::shared_ptr<JetFile> file, const std::string& name);
    ~JetTable();
    JetTable(const JetTable&) = delete;
    JetTable& operator=(const JetTable&) = delete;

    // The definition of the table `name` without opening it for reading; throws as the
    // constructor does.
    static std::shared_ptr<const TableDefinition> Definition(const std::shared_ptr<JetFile>& file,
                                                             const std::string& name);
    static std::vector<FieldInfo> Fields(const TableDefinition& definition);

    const std::string& Name() const { return definition_->name; }
    const std::vector<JetColumn>& Columns() const { return definition_->columns; }
    std::vector<FieldInfo> Fields() const { return Fields(*definition_); }
    const std::vector<IndexInfo>& Indexes() const { return definition_->indexes; }

    // The next row, one value per column; false at the end of the table.
    bool Next(Row& row);

  private:
    // Reads the remembered definition's table from the file; false when the file's columns are
    // not the remembered ones.
    bool OpenDefinition();
    static bool HasPageMap(const MdbTableDef& table);
    Value ValueOf(const JetColumn& column, std::string_view stored, bool isNull);

    std::shared_ptr<JetFile> file_;
    std::shared_ptr<const TableDefinition> definition_;
    MdbHandle* handle_ = nullptr;  // this table's own handle on the file
    MdbCatalogEntry entry_{};      // what libmdb needs to find the table; lives as long as table_
    MdbTableDef* table_ = nullptr;
    std::vector<MdbField> fields_;
};

}  // namespace tessel::db::jet
