#include "core/db/drivers/text/pending_changes.h"

#include <algorithm>

namespace tessel::db::text {

const std::shared_ptr<TableChanges>& PendingChanges::Of(const std::string& fileName) {
    auto& changes = tables_[fileName];
    if (!changes)
        changes = std::make_shared<TableChanges>();
    return changes;
}

void PendingChanges::Set(const std::string& fileName, RowId id, std::optional<FieldTexts> row) {
    auto& rows = Of(fileName)->rows;
    Undo undo{fileName, id, std::nullopt};
    const auto found = rows.find(id);
    if (found != rows.end())
        undo.before = std::move(found->second);
    log_.push_back(std::move(undo));
    rows[id] = std::move(row);
}

void PendingChanges::Mark(int level) {
    marks_.erase(marks_.lower_bound(level), marks_.end());
    marks_[level] = log_.size();
}

void PendingChanges::Forget(int level) {
    marks_.erase(marks_.lower_bound(level), marks_.end());
}

void PendingChanges::UndoTo(int level) {
    // A savepoint made before this store joined the transaction marks no change of it.
    const auto mark = marks_.lower_bound(level);
    if (mark == marks_.end())
        return;
    while (log_.size() > mark->second) {
        Undo& undo = log_.back();
        auto& rows = Of(undo.fileName)->rows;
        if (undo.before)
            rows[undo.id] = std::move(*undo.before);
        else
            rows.erase(undo.id);
        log_.pop_back();
    }
    marks_.erase(std::next(mark), marks_.end());
}

void PendingChanges::Clear() {
    tables_.clear();
    log_.clear();
    marks_.clear();
}

void PendingChanges::ForgetTable(const std::string& fileName) {
    tables_.erase(fileName);
    log_.erase(std::remove_if(log_.begin(), log_.end(),
                              [&](const Undo& undo) { return undo.fileName == fileName; }),
               log_.end());
    // Marks count log entries: with entries gone they would point past what they marked.
    for (auto& [level, length] : marks_)
        length = std::min(length, log_.size());
}

}  // namespace tessel::db::text
