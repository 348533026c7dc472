// Reads the structure of a SQLite file at the Jet level: SQLite's own schema (PRAGMA
// table_info, index_list, index_xinfo) is the truth; the metadata tables add the Jet type
// codes, sizes, index names and flags where they still match it.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/db/drivers/sqlite/metadata_store.h"
#include "core/db/engine.h"
#include "core/db/sqlite/handle.h"

namespace tessel::db::sqlite {

struct ColumnDetail {
    FieldInfo field;
    std::string declaredType;
    std::optional<std::string> defaultValue;
    int keyPosition = 0;  // position in the table's declared primary key, 0 when none
};

struct IndexDetail {
    IndexInfo info;
    std::optional<std::string> physicalName;  // none for the rowid key
    bool described = false;                   // the metadata describes it
};

struct SchemaObject {
    std::string name;
    std::string type;  // "table" or "view"
    std::string sql;
};

[[noreturn]] void ThrowNotInCollection(const std::string& what);

class SchemaReader {
  public:
    explicit SchemaReader(Handle& handle) : handle_(handle), store_(handle) {}

    // Tables and views in the order SQLite's schema lists them.
    std::vector<SchemaObject> Objects(const char* type);
    // The object of that name (any case) and type, if there is one.
    std::optional<SchemaObject> Find(const std::string& name, const char* type);

    // The table of that name; throws err::kItemNotFound when there is none.
    SchemaObject RequireTable(const std::string& name);
    SchemaObject RequireQuery(const std::string& name);

    // Throws err::kItemNotFound when the table does not exist.
    std::vector<ColumnDetail> Columns(const std::string& table);
    std::vector<IndexDetail> Indexes(const std::string& table);
    // The field that is the table's rowid (a declared INTEGER PRIMARY KEY), "" when none.
    std::string RowidKey(const std::string& table);

  private:
    std::string RequireTableOrView(const std::string& table);
    std::string IndexFields(const std::string& physicalName);
    Handle& handle_;
    MetadataStore store_;
};

}  // namespace tessel::db::sqlite
