// Jet-level facts that SQLite does not keep, in hidden tables of the database file itself:
//
//   MSysColumns    (TableName, ColumnName, DeclaredType, TypeCode, Size, Attributes)
//                  the Jet type code and size of a column made through the Jet DDL layer; used
//                  only while the column's declared type still equals DeclaredType.
//   MSysIndexes    (TableName, IndexName, PhysicalName, IsPrimary, IsUnique, IgnoreNulls,
//                  IsForeign, IsRequired, ReferencedTable, ReferencedFields)
//                  the Jet name and flags of an index; PhysicalName is SQLite's (unique per
//                  file) index name, NULL for a key that is the table's rowid.
//   MSysProperties (ObjectKind, ObjectName, PropertyName, TypeCode, Value)
//                  database properties (Version, user properties made by CreateProperty) and
//                  object properties (DateCreated, LastUpdated, ValidationRule, ...).
//
// The schema is the truth and the metadata a hint: rows that no longer match the schema are
// ignored. The tables are made at the first change that needs them, never when a file opens,
// and every change is written in the transaction of the DDL it describes.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/db/engine.h"
#include "core/db/names.h"
#include "core/db/sqlite/handle.h"

namespace tessel::db::sqlite {

inline constexpr const char* kMetaColumns = "MSysColumns";
inline constexpr const char* kMetaIndexes = "MSysIndexes";
inline constexpr const char* kMetaProperties = "MSysProperties";

namespace objkind {
inline constexpr const char* kDatabase = "Database";
inline constexpr const char* kTable = "Table";
inline constexpr const char* kField = "Field";  // object name "table.field"
inline constexpr const char* kQuery = "Query";
}  // namespace objkind

struct ColumnMeta {
    std::string column;
    std::string declaredType;
    int code = 0;
    long size = 0;
    std::uint32_t attributes = 0;
};

struct IndexMeta {
    std::string name;
    std::optional<std::string> physicalName;
    bool primary = false;
    bool unique = false;
    bool ignoreNulls = false;
    bool foreign = false;
    bool required = false;
    std::string referencedTable;
    std::string referencedFields;
};

class MetadataStore {
  public:
    explicit MetadataStore(Handle& handle) : handle_(handle) {}

    // True when the metadata tables exist in the file.
    bool Exists();
    // Makes the tables when missing (a write: call only inside a change).
    void EnsureTables();

    std::vector<ColumnMeta> Columns(const std::string& table);
    void PutColumn(const std::string& table, const ColumnMeta& column);
    // All of a new table's fields in one statement.
    void PutColumns(const std::string& table, const std::vector<ColumnMeta>& columns);
    void DeleteColumn(const std::string& table, const std::string& column);

    std::vector<IndexMeta> Indexes(const std::string& table);
    void PutIndex(const std::string& table, const IndexMeta& index);
    void DeleteIndex(const std::string& table, const std::string& name);

    std::optional<Property> GetProperty(const std::string& kind, const std::string& object,
                                        const std::string& name);
    // In the order they were first written.
    std::vector<Property> Properties(const std::string& kind, const std::string& object);
    void PutProperty(const std::string& kind, const std::string& object, const Property& property);
    void DeleteProperty(const std::string& kind, const std::string& object,
                        const std::string& name);

    // Moves every row of a table (and of its fields) to a new name.
    void RenameTable(const std::string& from, const std::string& to);
    void RenameColumn(const std::string& table, const std::string& from, const std::string& to);
    void RenameIndex(const std::string& table, const std::string& from, const std::string& to);
    void RenameQuery(const std::string& from, const std::string& to);
    void ForgetTable(const std::string& table);
    void ForgetQuery(const std::string& query);

  private:
    std::optional<Property> ReadProperty(const std::string& kind, const std::string& object,
                                         const std::string& name);
    Handle& handle_;
};

}  // namespace tessel::db::sqlite
