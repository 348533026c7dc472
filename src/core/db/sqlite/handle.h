// One open SQLite connection to a database file, shared by the objects that use it (the
// Database object, statement connections, cursors), with a small cache of prepared statements.
//
// A handle never starts a transaction by itself: every statement commits on its own with
// SQLite's default journal and synchronous settings, so that each one is durable.
#pragma once

#include <sqlite3.h>

#include <array>
#include <cstdint>
#include <functional>
#include <list>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>

#include "core/db/engine.h"
#include "core/db/sqlite/owners.h"
#include "core/db/sqlite/schema_catalog.h"
#include "core/db/sqlite/statement_effects.h"

namespace tessel::db::sqlite {

class Handle;

// What a connection knows of its file is kept for one generation of the file. A generation
// ends when this connection writes, or when a look at the file's header shows that another
// connection committed since the last look. The schema generation counts changes of structure,
// the properties generation changes of the stored properties (the password digest and the
// version among them).
struct FileGenerations {
    std::uint64_t schema = 1;
    std::uint64_t properties = 1;
    std::uint64_t schemaRewrite = 1;  // changes of structure other than new objects
};

// A prepared statement borrowed from a handle; goes back to the handle's cache when destroyed.
class Statement {
  public:
    Statement() = default;
    Statement(std::shared_ptr<Handle> handle, sqlite3_stmt* stmt, std::string sql);
    ~Statement();
    Statement(Statement&& other) noexcept;
    Statement& operator=(Statement&& other) noexcept;
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    sqlite3_stmt* Raw() const { return stmt_; }
    bool Valid() const { return stmt_ != nullptr; }
    Handle& Owner() const { return *handle_; }

    Statement& Bind(int index, std::string_view text);
    Statement& Bind(int index, long long number);
    Statement& BindNull(int index);
    // Steps once: true when a row is ready. Throws EngineError on failure.
    bool Step();
    // Steps to the end, ignoring rows.
    void Run();

    std::string Text(int column) const;
    long long Integer(int column) const { return sqlite3_column_int64(stmt_, column); }
    bool IsNull(int column) const { return sqlite3_column_type(stmt_, column) == SQLITE_NULL; }

  private:
    void Release();
    std::shared_ptr<Handle> handle_;
    sqlite3_stmt* stmt_ = nullptr;
    std::string sql_;
};

class Handle : public std::enable_shared_from_this<Handle> {
  public:
    // Opens the file (which must exist). Throws EngineError with the mapped number. An
    // `encrypted` file is opened through the encrypting file layer (crypt_vfs.h), whose key
    // must have been offered to it.
    static std::shared_ptr<Handle> Open(const std::string& path, bool readOnly,
                                        bool encrypted = false);
    // Opens a damaged file read-only, reading as much of it as SQLite can (for a repair).
    static std::shared_ptr<Handle> OpenDamaged(const std::string& path);
    // Creates a new file; fails when it exists. `encrypted`: through the encrypting file
    // layer, whose new-file key (NewFileKeyScope) must be in place.
    static std::shared_ptr<Handle> Create(const std::string& path, bool encrypted = false);
    // A private in-memory database (for connections whose tables live elsewhere, such as the
    // virtual tables of a driver); `label` names it in messages.
    static std::shared_ptr<Handle> OpenMemory(const std::string& label);
    ~Handle();
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;

    sqlite3* Raw() const { return db_.get(); }
    const std::string& Path() const { return path_; }
    bool ReadOnly() const { return readOnly_; }
    bool Encrypted() const { return encrypted_; }

    // Prepares the first statement of `sql` (from the cache when the same text was used
    // before).
    Statement Prepare(std::string_view sql);
    // Runs statements that return no rows.
    void Exec(const std::string& sql);

    // `keepGoing` is asked every few thousand virtual machine steps; false interrupts the
    // running statement. Null removes the hook.
    void SetProgressHook(std::shared_ptr<const std::function<bool()>> keepGoing);

    // The stored password digest that this connection was opened with in this run, so that
    // reopening the same file (as every statement does) does not ask again; "" when none.
    const std::string& UnlockedFor() const { return unlockedFor_; }
    void SetUnlockedFor(std::string digest) { unlockedFor_ = std::move(digest); }

    // The file's schema table, re-read only after a schema change.
    SchemaCatalog& Catalog() { return catalog_; }

    const FileGenerations& Generations() const { return generations_; }
    // Stored properties read in the current properties generation, by object and name (see
    // MetadataStore::GetProperty); emptied when that generation ends.
    std::unordered_map<std::string, std::optional<Property>>& PropertyMemo();
    // While one lives, this connection's writes of stored properties leave the memo's
    // generation alone: the writer forgets what it changes itself (ForgetProperty).
    class PropertyWriteScope {
      public:
        explicit PropertyWriteScope(Handle& handle) : handle_(handle) {
            ++handle_.propertyWriters_;
        }
        ~PropertyWriteScope() { --handle_.propertyWriters_; }
        PropertyWriteScope(const PropertyWriteScope&) = delete;
        PropertyWriteScope& operator=(const PropertyWriteScope&) = delete;

      private:
        Handle& handle_;
    };
    void ForgetProperty(const std::string& key) { PropertyMemo().erase(key); }
    // Compares the file's header (one read, without a lock) with the last look and starts new
    // generations for what another connection changed. False when the file no longer starts
    // like a SQLite file (replaced in place by something else). `header`, when given, receives
    // the bytes read (zeros for a database in memory).
    bool Revalidate(std::array<unsigned char, 100>* header = nullptr);

    // True while a transaction is open on this connection.
    bool InTransaction() const { return sqlite3_get_autocommit(db_.get()) == 0; }

    // Runs `work` inside a transaction (a savepoint when one is already open) and commits;
    // rolls back and rethrows when it throws.
    template <typename Work>
    void InTransaction(Work&& work);

  private:
    friend class Statement;
    Handle(Connection db, std::string path, bool readOnly);
    void GiveBack(sqlite3_stmt* stmt, std::string sql);
    // Ends the generations that running `stmt` (or `sql` for Exec) may change; called before
    // and after it runs, so that nothing read while it ran outlives it.
    void NoteWrite(sqlite3_stmt* stmt);
    void Bump(const StatementEffects& effects);
    void WatchWrites();

    // What a look at the file's first 100 bytes tells.
    struct Header {
        std::array<unsigned char, 100> bytes{};
        bool sqlite = false;       // starts like a SQLite file
        bool trustworthy = false;  // its change counter counts every commit (no write-ahead log)
        std::uint32_t changeCounter = 0;
        std::uint32_t schemaCookie = 0;
    };
    std::optional<Header> ReadHeader();
    // Starts new generations for what changed since the last look, and remembers this one.
    void Compare(const Header& header);
    // A look at the file: settles a commit of this connection, then compares.
    void Look(const Header& header);
    void BeforeCommit();
    void SettleCommit(const Header& header);

    FileGenerations generations_;
    std::optional<Header> seen_;  // the last trustworthy look, while it still describes the file
    // A commit of this connection under way: the change counter it will leave, when known.
    struct PendingCommit {
        std::optional<std::uint32_t> expectedCounter;
    };
    std::optional<PendingCommit> pendingCommit_;
    std::unordered_map<std::string, std::optional<Property>> propertyMemo_;
    std::uint64_t propertyMemoGeneration_ = 0;
    int propertyWriters_ = 0;

    Connection db_;
    std::string path_;
    bool readOnly_;
    bool encrypted_ = false;
    std::list<std::pair<std::string, PreparedStatement>> cache_;  // most recently used first
    std::shared_ptr<const std::function<bool()>> keepGoing_;
    int savepointDepth_ = 0;
    SchemaCatalog catalog_;
    std::string unlockedFor_;
};

template <typename Work>
void Handle::InTransaction(Work&& work) {
    const std::string name = "tessel_" + std::to_string(savepointDepth_);
    Exec("SAVEPOINT " + name);
    ++savepointDepth_;
    try {
        work();
    } catch (...) {
        --savepointDepth_;
        Bump({true, true, true, true});
        sqlite3_exec(db_.get(), ("ROLLBACK TO " + name + "; RELEASE " + name).c_str(), nullptr,
                     nullptr, nullptr);
        throw;
    }
    --savepointDepth_;
    Exec("RELEASE " + name);
}

}  // namespace tessel::db::sqlite
