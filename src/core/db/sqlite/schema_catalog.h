// A snapshot of a file's schema table, read once and kept until the schema changes.
//
// SQLite's schema table has no index: every lookup by name scans it. A database of a thousand
// tables with their indexes and guard triggers holds thousands of rows, and reading the
// structure of each table would scan them again and again. The snapshot is re-read only when
// the schema generation of its connection (handle.h) ended: after a change of structure made
// through it, or one that another connection committed.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <set>
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
    std::string table;    // the table an index or trigger belongs to (tbl_name)
};

class SchemaCatalog {
  public:
    // Entries of one type in the order the schema lists them.
    std::vector<const CatalogEntry*> OfType(Handle& handle, const std::string& type);
    // The entry of that name (ASCII case ignored) and type, or null.
    const CatalogEntry* Find(Handle& handle, const std::string& name, const std::string& type);

    // The entry of that name (ASCII case ignored) of any type, or null.
    const CatalogEntry* Named(Handle& handle, const std::string& name);
    // Entries of one type that belong to `table` (ASCII case ignored), in schema order.
    std::vector<const CatalogEntry*> OfTable(Handle& handle, const std::string& table,
                                             const std::string& type);

    // Names derived from the schema by `derive` (once for each version of the schema), kept
    // under `key`.
    using Names = std::shared_ptr<const std::set<std::string>>;
    Names Derived(Handle& handle, const std::string& key,
                  const std::function<std::set<std::string>()>& derive);

    // Whether `fact` was marked as checked since the schema last changed, so that a reader
    // checks a structure once for each version of the schema.
    bool Checked(Handle& handle, const std::string& fact);
    void MarkChecked(const std::string& fact) { checked_.insert(fact); }

  private:
    void Refresh(Handle& handle);
    // Reads the entries of the schema table after `afterRowid` (0: all of them).
    void Append(Handle& handle, long long afterRowid);
    static std::string Key(const std::string& type, const std::string& name);

    std::uint64_t generation_ = 0;  // none yet
    std::uint64_t rewriteGeneration_ = 0;
    std::deque<CatalogEntry> entries_;  // in rowid order; appending keeps pointers valid
    std::unordered_map<std::string, std::size_t> byKey_;
    std::unordered_map<std::string, std::size_t> byName_;
    std::unordered_multimap<std::string, std::size_t> byTable_;
    // Facts hold while objects are only added; derived names are made again after any change.
    std::unordered_set<std::string> checked_;
    std::unordered_map<std::string, Names> derived_;
};

}  // namespace tessel::db::sqlite
