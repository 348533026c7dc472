#include "core/db/sqlite/handle.h"

#include <cstring>

#include "core/db/sqlite/crypt_vfs.h"
#include "core/db/sqlite/error_map.h"
#include "core/db/sqlite/jet_functions.h"
#include "core/db/sqlite/statement_effects.h"

namespace tessel::db::sqlite {
namespace {

constexpr std::size_t kCachedStatements = 48;

// Settings of every connection; none of them writes to the file.
void Configure(sqlite3* db, const std::string& path) {
    sqlite3_busy_timeout(db, 2000);
    char* message = nullptr;
    int rc = sqlite3_exec(db, "PRAGMA foreign_keys = ON", nullptr, nullptr, &message);
    sqlite3_free(message);
    // A schema of a thousand tables with their type rules outgrows SQLite's default cache of
    // 2 MB, and every change of structure scans the schema table: it has to stay in memory.
    // Setting the size reads the schema, which fails for a damaged file: that file keeps the
    // default and is reported by what reads it next.
    sqlite3_exec(db, "PRAGMA cache_size = -16384", nullptr, nullptr, nullptr);
    if (rc == SQLITE_OK)
        rc = RegisterJetFunctions(db);
    if (rc != SQLITE_OK)
        ThrowSqliteError(db, rc, path);
}

// Sorting and statement journals of an encrypted file stay in memory: the temporary files
// SQLite would write them to are not encrypted.
void KeepTemporariesInMemory(sqlite3* db, const std::string& path) {
    const int rc = sqlite3_exec(db, "PRAGMA temp_store = MEMORY", nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK)
        ThrowSqliteError(db, rc, path);
}

Connection OpenRaw(const std::string& path, int flags, bool encrypted = false) {
    Connection db;
    const int rc = OpenConnection(path, flags | SQLITE_OPEN_NOMUTEX, db,
                                  encrypted ? crypt::VfsName() : nullptr);
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
    const bool starting = sqlite3_stmt_busy(stmt_) == 0;
    if (starting)
        handle_->NoteWrite(stmt_);
    const int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW)
        return true;
    if (!sqlite3_stmt_readonly(stmt_) || !starting)
        handle_->NoteWrite(stmt_);
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
    : db_(std::move(db)), path_(std::move(path)), readOnly_(readOnly) {
    WatchWrites();
}

void Handle::WatchWrites() {
    // Rows that a trigger writes to the properties show in no statement's text.
    sqlite3_update_hook(
        db_.get(),
        [](void* self, int, const char*, const char* table, sqlite3_int64) {
            auto* handle = static_cast<Handle*>(self);
            if (table != nullptr && handle->propertyWriters_ == 0 && IsPropertiesTableName(table))
                ++handle->generations_.properties;
        },
        this);
    sqlite3_commit_hook(
        db_.get(),
        [](void* self) {
            static_cast<Handle*>(self)->BeforeCommit();
            return 0;
        },
        this);
}

void Handle::NoteWrite(sqlite3_stmt* stmt) {
    const char* sql = sqlite3_sql(stmt);
    Bump(EffectsOf(sql == nullptr ? std::string_view() : std::string_view(sql),
                   sqlite3_stmt_readonly(stmt) != 0));
}

void Handle::Bump(const StatementEffects& effects) {
    if (effects.schema)
        ++generations_.schema;
    if (effects.properties && propertyWriters_ == 0)
        ++generations_.properties;
    if (effects.schemaRewrite)
        ++generations_.schemaRewrite;
}

std::optional<Handle::Header> Handle::ReadHeader() {
    sqlite3_file* file = nullptr;
    if (sqlite3_file_control(db_.get(), "main", SQLITE_FCNTL_FILE_POINTER, &file) != SQLITE_OK ||
        file == nullptr || file->pMethods == nullptr) {
        return std::nullopt;
    }
    Header header;
    unsigned char* bytes = header.bytes.data();
    const int rc = file->pMethods->xRead(file, bytes, static_cast<int>(header.bytes.size()), 0);
    header.sqlite = rc == SQLITE_OK && std::memcmp(bytes, "SQLite format 3", 16) == 0;
    // In write-ahead-log mode commits leave the header alone.
    header.trustworthy = header.sqlite && bytes[18] != 2 && bytes[19] != 2;
    const auto word = [&](int at) {
        return (std::uint32_t{bytes[at]} << 24) | (std::uint32_t{bytes[at + 1]} << 16) |
               (std::uint32_t{bytes[at + 2]} << 8) | std::uint32_t{bytes[at + 3]};
    };
    header.changeCounter = word(24);
    header.schemaCookie = word(40);
    return header;
}

void Handle::Compare(const Header& header) {
    if (!header.trustworthy || !seen_) {
        // Nothing to compare with (the first look, or the last one no longer describes the
        // file): what was read before may be stale.
        Bump({true, true, true, true});
    } else {
        // Another connection committed: its rows may include stored properties.
        if (header.changeCounter != seen_->changeCounter)
            Bump({true, false, true, false});
        if (header.schemaCookie != seen_->schemaCookie)
            Bump({true, true, true, true});
    }
    seen_.reset();
    if (header.trustworthy)
        seen_ = header;
}

bool Handle::Revalidate(std::array<unsigned char, 100>* bytes) {
    const std::optional<Header> header = ReadHeader();
    if (!header)
        return true;  // a database in memory: only this connection changes it
    if (bytes != nullptr)
        *bytes = header->bytes;
    Look(*header);
    return header->sqlite;
}

void Handle::Look(const Header& header) {
    if (pendingCommit_)
        SettleCommit(header);
    Compare(header);
}

// This connection's own commits change the header too. Its write lock is held here, so no other
// connection commits between this look and the commit, which adds one to the change counter.
void Handle::BeforeCommit() {
    const std::optional<Header> header = ReadHeader();
    if (!header)
        return;
    Look(*header);
    pendingCommit_ = PendingCommit{};
    if (seen_) {
        pendingCommit_->expectedCounter = seen_->changeCounter + 1;
        seen_.reset();
    }
}

// The first look after an own commit (the next statement's, or the next open's: the commit
// itself reads nothing more) tells whether only that commit changed the file since.
void Handle::SettleCommit(const Header& header) {
    const std::optional<std::uint32_t> expected = pendingCommit_->expectedCounter;
    pendingCommit_.reset();
    if (!header.trustworthy)
        return;
    // Without an expectation the caches were all emptied before the commit, so whatever they
    // read from now on matches this look.
    if (!expected || header.changeCounter == *expected)
        seen_ = header;
}

Handle::~Handle() {
    // The statements go before the connection they belong to.
    cache_.clear();
}

std::shared_ptr<Handle> Handle::Open(const std::string& path, bool readOnly, bool encrypted) {
    const int flags = readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE;
    std::shared_ptr<Handle> handle(new Handle(OpenRaw(path, flags, encrypted), path, readOnly));
    handle->encrypted_ = encrypted;
    if (encrypted)
        KeepTemporariesInMemory(handle->Raw(), path);
    Configure(handle->Raw(), path);
    return handle;
}

std::shared_ptr<Handle> Handle::OpenDamaged(const std::string& path) {
    std::shared_ptr<Handle> handle = Open(path, true);
    if (const int rc = AllowReadingPastDamage(handle->Raw()); rc != SQLITE_OK)
        ThrowSqliteError(handle->Raw(), rc, path);
    return handle;
}

std::shared_ptr<Handle> Handle::Create(const std::string& path, bool encrypted) {
    std::shared_ptr<Handle> handle(new Handle(
        OpenRaw(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, encrypted), path, false));
    handle->encrypted_ = encrypted;
    if (encrypted) {
        KeepTemporariesInMemory(handle->Raw(), path);
        // Room in every page for its nonce and tag, fixed before the first page is written.
        int reserve = crypt::kReserveBytes;
        sqlite3_file_control(handle->Raw(), "main", SQLITE_FCNTL_RESERVE_BYTES, &reserve);
    }
    Configure(handle->Raw(), path);
    return handle;
}

std::shared_ptr<Handle> Handle::OpenMemory(const std::string& label) {
    std::shared_ptr<Handle> handle(
        new Handle(OpenRaw(":memory:", SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE), label, false));
    Configure(handle->Raw(), label);
    return handle;
}

std::unordered_map<std::string, std::optional<Property>>& Handle::PropertyMemo() {
    if (propertyMemoGeneration_ != generations_.properties) {
        propertyMemo_.clear();
        propertyMemoGeneration_ = generations_.properties;
    }
    return propertyMemo_;
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
    const StatementEffects effects = EffectsOfScript(sql);
    Bump(effects);
    char* message = nullptr;
    const int rc = sqlite3_exec(db_.get(), sql.c_str(), nullptr, nullptr, &message);
    sqlite3_free(message);
    Bump(effects);
    if (rc != SQLITE_OK)
        ThrowSqliteError(db_.get(), rc, path_);
}

}  // namespace tessel::db::sqlite
