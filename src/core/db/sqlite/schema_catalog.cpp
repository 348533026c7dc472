#include "core/db/sqlite/schema_catalog.h"

#include <algorithm>

#include "core/base/text.h"
#include "core/db/names.h"
#include "core/db/sqlite/handle.h"

namespace tessel::db::sqlite {

std::string SchemaCatalog::Key(const std::string& type, const std::string& name) {
    return type + '\n' + base::UpperAscii(name);
}

void SchemaCatalog::Refresh(Handle& handle) {
    const FileGenerations& generations = handle.Generations();
    const std::uint64_t current = generations.schema;
    if (current == generation_)
        return;
    derived_.clear();
    if (generation_ != 0 && generations.schemaRewrite == rewriteGeneration_) {
        // Only new objects since the last read: a script of a thousand CREATE statements reads
        // each row of the schema table once, not a thousand times.
        Append(handle, entries_.empty() ? 0 : entries_.back().rowid);
        generation_ = current;
        return;
    }
    entries_.clear();
    byKey_.clear();
    byName_.clear();
    byTable_.clear();
    checked_.clear();
    Append(handle, 0);
    generation_ = current;
    rewriteGeneration_ = generations.schemaRewrite;
}

void SchemaCatalog::Append(Handle& handle, long long afterRowid) {
    auto statement = handle.Prepare(
        "SELECT name, type, sql, rowid, tbl_name FROM sqlite_master WHERE rowid > ?1 ORDER BY "
        "rowid");
    statement.Bind(1, afterRowid);
    while (statement.Step()) {
        entries_.push_back({statement.Text(0), statement.Text(1), statement.Text(2),
                            statement.Integer(3), statement.Text(4)});
        const CatalogEntry& entry = entries_.back();
        const std::size_t at = entries_.size() - 1;
        byKey_.emplace(Key(entry.type, entry.name), at);
        byName_.emplace(base::UpperAscii(entry.name), at);
        byTable_.emplace(base::UpperAscii(entry.table), at);
    }
}

std::vector<const CatalogEntry*> SchemaCatalog::OfType(Handle& handle, const std::string& type) {
    Refresh(handle);
    std::vector<const CatalogEntry*> found;
    for (const auto& entry : entries_) {
        if (entry.type == type)
            found.push_back(&entry);
    }
    return found;
}

const CatalogEntry* SchemaCatalog::Named(Handle& handle, const std::string& name) {
    Refresh(handle);
    const auto it = byName_.find(base::UpperAscii(name));
    return it == byName_.end() ? nullptr : &entries_[it->second];
}

std::vector<const CatalogEntry*> SchemaCatalog::OfTable(Handle& handle, const std::string& table,
                                                        const std::string& type) {
    Refresh(handle);
    std::vector<std::size_t> positions;
    const auto [first, last] = byTable_.equal_range(base::UpperAscii(table));
    for (auto it = first; it != last; ++it) {
        if (entries_[it->second].type == type)
            positions.push_back(it->second);
    }
    std::sort(positions.begin(), positions.end());
    std::vector<const CatalogEntry*> found;
    for (const std::size_t at : positions)
        found.push_back(&entries_[at]);
    return found;
}

SchemaCatalog::Names SchemaCatalog::Derived(Handle& handle, const std::string& key,
                                            const std::function<std::set<std::string>()>& derive) {
    Refresh(handle);
    if (const auto it = derived_.find(key); it != derived_.end())
        return it->second;
    auto names = std::make_shared<const std::set<std::string>>(derive());
    // Deriving reads the file, which may have started a new generation: keep the names in the
    // catalog of the generation they were made in.
    Refresh(handle);
    derived_.insert_or_assign(key, names);
    return names;
}

bool SchemaCatalog::Checked(Handle& handle, const std::string& fact) {
    Refresh(handle);
    return checked_.count(fact) != 0;
}

const CatalogEntry* SchemaCatalog::Find(Handle& handle, const std::string& name,
                                        const std::string& type) {
    Refresh(handle);
    const auto it = byKey_.find(Key(type, name));
    return it == byKey_.end() ? nullptr : &entries_[it->second];
}

}  // namespace tessel::db::sqlite
