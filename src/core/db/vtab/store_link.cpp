#include "core/db/vtab/store_link.h"

namespace tessel::db::vtab {

void StoreLink::Begin() {
    if (inTransaction_)
        return;
    store_->Begin();
    inTransaction_ = true;
    synced_ = false;
    savepoints_.clear();
}

void StoreLink::Sync() {
    if (!inTransaction_ || synced_)
        return;
    store_->Sync();
    synced_ = true;
}

void StoreLink::Commit() {
    if (!inTransaction_)
        return;
    inTransaction_ = false;
    savepoints_.clear();
    store_->Commit();
}

void StoreLink::Rollback() {
    if (!inTransaction_)
        return;
    inTransaction_ = false;
    savepoints_.clear();
    store_->Rollback();
}

void StoreLink::Savepoint(int level) {
    if (!inTransaction_ || savepoints_.count(level) != 0)
        return;
    store_->Savepoint(level);
    savepoints_.insert(level);
}

void StoreLink::Release(int level) {
    const auto from = savepoints_.lower_bound(level);
    if (!inTransaction_ || from == savepoints_.end())
        return;
    store_->Release(level);
    savepoints_.erase(from, savepoints_.end());
}

void StoreLink::RollbackTo(int level) {
    if (!inTransaction_)
        return;
    // Returning to the same mark again changes nothing, so every table may ask for it.
    store_->RollbackTo(level);
    savepoints_.erase(savepoints_.upper_bound(level), savepoints_.end());
}

std::optional<EngineError> StoreLink::TakeFailure() {
    auto failure = std::move(failure_);
    failure_.reset();
    return failure;
}

}  // namespace tessel::db::vtab
