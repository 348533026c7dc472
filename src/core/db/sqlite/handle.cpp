#include "core/db/sqlite/handle.h"

#include "core/db/sqlite/error_map.h"
#include "core/db/sqlite/jet_functions.h"

namespace tessel::db::sqlite {
namespace {

constexpr std::size_t kCachedStatements = 48;

// Settings of every connection; none of them writes to the file.
void Configure(sqlite3* db, const std::string& path) {
    sqlite3_busy_timeout(db, 2000);
    char* message = nullptr;
    int rc = sqlite3_exec(db, "PRAGMA foreign_keys = ON", nullptr, nullptr, &message);
    sqlite3_free(message);
    if (rc == SQLITE_OK)
        rc = RegisterJetFunctions(db);
    if (rc != SQLITE_OK)
        ThrowSqliteError(db, rc, path);
}

Connection OpenRaw(const std::string& path, int flags) {
    Connection db;
    const int rc = OpenConnection(path, flags | SQLITE_OPEN_NOMUTEX, db);
    if (rc != SQLITE_OK)
        ThrowSqliteError(db.get(), rc, path);
    return db;
}

}  // namespace

// ---- Statement ----

Statement::Statement(std::shared_ptr<Handle> handle, sqlite3_stmt* stmt, std::string sql)
    : handle_(std::move(handle)), stmt_(stmt), sql_(std::move(sql)) {}

Statement::~Statement() {
    Release();
}

Statement::Statement(Statement&& other) noexcept
    : handle_(std::move(other.handle_)), stmt_(other.stmt_), sql_(std::move(other.sql_)) {
    other.stmt_ = nullptr;
}

Statement& Statement::operator=(Statement&& other) noexcept {
    if (this != &other) {
        Release();
        handle_ = std::move(other.handle_);
        stmt_ = other.stmt_;
        sql_ = std::move(other.sql_);
        other.stmt_ = nullptr;
    }
    return *this;
}

void Statement::Release() {
    if (stmt_ != nullptr) {
        handle_->GiveBack(stmt_, std::move(sql_));
        stmt_ = nullptr;
    }
    handle_.reset();
}

Statement& Statement::Bind(int index, std::string_view text) {
    sqlite3_bind_text(stmt_, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
    return *this;
}

Statement& Statement::Bind(int index, long long number) {
    sqlite3_bind_int64(stmt_, index, number);
    return *this;
}

Statement& Statement::BindNull(int index) {
    sqlite3_bind_null(stmt_, index);
    return *this;
}

bool Statement::Step() {
    const int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    const SqliteFailure failure = ReadFailure(handle_->Raw(), rc);
    sqlite3_reset(stmt_);
    throw MapSqliteError(failure.code, failure.message, handle_->Path(), failure.systemError);
}

void Statement::Run() {
    while (Step()) {
    }
}

std::string Statement::Text(int column) const {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column));
    if (text == nullptr)
        return {};
    return std::string(text, static_cast<std::size_t>(sqlite3_column_bytes(stmt_, column)));
}

// ---- Handle ----

Handle::Handle(Connection db, std::string path, bool readOnly)
    : db_(std::move(db)), path_(std::move(path)), readOnly_(readOnly) {}

Handle::~Handle() {
    // The statements go before the connection they belong to.
    cache_.clear();
}

std::shared_ptr<Handle> Handle::Open(const std::string& path, bool readOnly) {
    const int flags = readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE;
    std::shared_ptr<Handle> handle(new Handle(OpenRaw(path, flags), path, readOnly));
    Configure(handle->Raw(), path);
    return handle;
}

std::shared_ptr<Handle> Handle::OpenDamaged(const std::string& path) {
    std::shared_ptr<Handle> handle = Open(path, true);
    if (const int rc = AllowReadingPastDamage(handle->Raw()); rc != SQLITE_OK)
        ThrowSqliteError(handle->Raw(), rc, path);
    return handle;
}

std::shared_ptr<Handle> Handle::Create(const std::string& path) {
    std::shared_ptr<Handle> handle(
        new Handle(OpenRaw(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE), path, false));
    Configure(handle->Raw(), path);
    return handle;
}

std::shared_ptr<Handle> Handle::OpenMemory(const std::string& label) {
    std::shared_ptr<Handle> handle(
        new Handle(OpenRaw(":memory:", SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE), label, false));
    Configure(handle->Raw(), label);
    return handle;
}

Statement Handle::Prepare(std::string_view sql) {
    for (auto it = cache_.begin(); it != cache_.end(); ++it) {
        if (it->first == sql) {
            sqlite3_stmt* stmt = it->second.release();
            std::string text = std::move(it->first);
            cache_.erase(it);
            return Statement(shared_from_this(), stmt, std::move(text));
        }
    }
    PreparedStatement stmt;
    const int rc = PrepareStatement(db_.get(), sql, stmt);
    if (rc != SQLITE_OK)
        ThrowSqliteError(db_.get(), rc, path_);
    return Statement(shared_from_this(), stmt.release(), std::string(sql));
}

void Handle::GiveBack(sqlite3_stmt* stmt, std::string sql) {
    sqlite3_reset(stmt);
    sqlite3_clear_bindings(stmt);
    PreparedStatement owned(stmt);
    if (sql.empty())
        return;
    cache_.emplace_front(std::move(sql), std::move(owned));
    if (cache_.size() > kCachedStatements)
        cache_.pop_back();
}

void Handle::SetProgressHook(std::shared_ptr<const std::function<bool()>> keepGoing) {
    keepGoing_ = std::move(keepGoing);
    if (!keepGoing_ || !*keepGoing_) {
        sqlite3_progress_handler(db_.get(), 0, nullptr, nullptr);
        return;
    }
    sqlite3_progress_handler(
        db_.get(), 4000,
        [](void* self) -> int {
            const auto& hook = static_cast<Handle*>(self)->keepGoing_;
            return hook && *hook && !(*hook)() ? 1 : 0;
        },
        this);
}

void Handle::Exec(const std::string& sql) {
    char* message = nullptr;
    const int rc = sqlite3_exec(db_.get(), sql.c_str(), nullptr, nullptr, &message);
    sqlite3_free(message);
    if (rc != SQLITE_OK)
        ThrowSqliteError(db_.get(), rc, path_);
}

}  // namespace tessel::db::sqlite
