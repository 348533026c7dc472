#include "core/db/sqlite/schema_catalog.h"

#include "core/base/text.h"
#include "core/db/names.h"
#include "core/db/sqlite/handle.h"

namespace tessel::db::sqlite {

std::string SchemaCatalog::Key(const std::string& type, const std::string& name) {
    return type + '\n' + base::UpperAscii(name);
}

void SchemaCatalog::Refresh(Handle& handle) {
    auto version = handle.Prepare("PRAGMA schema_version");
    const long long current = version.Step() ? version.Integer(0) : -1;
    if (current == version_ && current != -1)
        return;
    entries_.clear();
    byKey_.clear();
    checked_.clear();
    auto statement =
        handle.Prepare("SELECT name, type, sql, rowid FROM sqlite_master ORDER BY rowid");
    while (statement.Step()) {
        entries_.push_back(
            {statement.Text(0), statement.Text(1), statement.Text(2), statement.Integer(3)});
    }
    for (std::size_t i = 0; i < entries_.size(); ++i)
        byKey_.emplace(Key(entries_[i].type, entries_[i].name), i);
    version_ = current;
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
