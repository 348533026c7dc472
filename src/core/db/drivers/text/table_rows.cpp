#include "core/db/drivers/text/table_rows.h"

namespace tessel::db::text {

TableRows::TableRows(const std::string& path, TableDefinition definition,
                     std::shared_ptr<const TableChanges> changes)
    : definition_(std::move(definition)),
      reader_(path, definition_.format),
      changes_(std::move(changes)),
      newRowsEnd_(changes_ ? changes_->nextNewId : kFirstNewRowId) {}

bool TableRows::NextFileRow() {
    if (!started_) {
        started_ = true;
        if (definition_.format.header && reader_.Next(record_))
            header_ = std::move(record_.fields);
    }
    while (reader_.Next(record_)) {
        ++id_;
        if (changes_) {
            const auto changed = changes_->rows.find(id_);
            if (changed != changes_->rows.end()) {
                if (!changed->second)
                    continue;
                fields_ = *changed->second;
                return true;
            }
        }
        fields_ = std::move(record_.fields);
        return true;
    }
    return false;
}

bool TableRows::NextNewRow() {
    if (!changes_)
        return false;
    const RowId from = id_ < kFirstNewRowId ? kFirstNewRowId : id_ + 1;
    for (auto it = changes_->rows.lower_bound(from);
         it != changes_->rows.end() && it->first < newRowsEnd_; ++it) {
        if (it->second) {
            id_ = it->first;
            fields_ = *it->second;
            return true;
        }
    }
    return false;
}

bool TableRows::Next() {
    if (inFile_) {
        if (NextFileRow())
            return true;
        inFile_ = false;
    }
    return NextNewRow();
}

}  // namespace tessel::db::text
