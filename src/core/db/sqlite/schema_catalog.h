// A snapshot of a file's schema table, read once and kept until the schema changes.
//
// SQLite's schema table has no index: every lookup by name scans it. A database of a thousand
// tables with their indexes and guard triggers holds thousands of rows, and reading the
// structure of each table would scan them again and again. The snapshot is re-read only when
// the file's schema version differs from the one it was read at.
#pragma once

#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace tessel::db::sqlite {

class Handle;

struct CatalogEntry {
    std::string name;
    std::string type;  // "table", "view", "index", "trigger"
    std::string sql;
    long long rowid = 0;  // order of creation
};

class SchemaCatalog {
  public:
    // Entries of one type in the order the schema lists them.
    std::vector<const CatalogEntry*> OfType(Handle& handle, const std::string& type);
    // The entry of that name (ASCII case ignored) and type, or null.
    const CatalogEntry* Find(Handle& handle, const std::string& name, const std::string& type);

    // Whether `fact` was marked as checked since the schema last changed, so that a reader
    // checks a structure once for each version of the schema.
    bool Checked(Handle& handle, const std::string& fact);
    void MarkChecked(const std::string& fact) { checked_.insert(fact); }

  private:
    void Refresh(Handle& handle);
    static std::string Key(const std::string& type, const std::string& name);

    long long version_ = -1;
    std::vector<CatalogEntry> entries_;  // in rowid order
    std::unordered_map<std::string, std::size_t> byKey_;
    std::unordered_set<std::string> checked_;
};

}  // namespace tessel::db::sqlite
