// The database engine: what every part of the program uses to reach a database.
//
// It offers the operations that the script engine, the tree, the generator and the
// maintenance tools expect: workspaces, opening and creating databases, the structure of a
// database (tables, fields, indexes, queries, properties) at the level of the classic desktop
// engine (field type codes, sizes, index flags, object attributes), renaming, and a statement
// runner whose cursors stream rows. Drivers behind it (driver.h) are chosen through the
// registry (driver_registry.h) by the connection type's family and the file's signature.
// Every failure is thrown as `EngineError` (errors.h).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "core/db/errors.h"
#include "core/db/external_database.h"

namespace tessel::db {

// Field type codes, as the generator, the tree and the export know them.
namespace ftype {
inline constexpr int kBoolean = 1;
inline constexpr int kByte = 2;
inline constexpr int kInteger = 3;  // 16-bit
inline constexpr int kLong = 4;     // 32-bit
inline constexpr int kCurrency = 5;
inline constexpr int kSingle = 6;
inline constexpr int kDouble = 7;
inline constexpr int kDate = 8;
inline constexpr int kBinary = 9;
inline constexpr int kText = 10;
inline constexpr int kLongBinary = 11;
inline constexpr int kMemo = 12;
inline constexpr int kGuid = 15;
inline constexpr int kBigInt = 16;
inline constexpr int kVarBinary = 17;
inline constexpr int kChar = 18;
inline constexpr int kNumeric = 19;
inline constexpr int kDecimal = 20;
inline constexpr int kFloat = 21;
inline constexpr int kTime = 22;
inline constexpr int kTimeStamp = 23;
}  // namespace ftype

// Object attribute bits.
namespace attr {
inline constexpr std::uint32_t kSystemObjectMask = 0x80000002u;  // either bit: system object
inline constexpr std::uint32_t kSystemObject = 0x80000000u;
inline constexpr std::uint32_t kHiddenObject = 0x1u;
inline constexpr std::uint32_t kAttachedTable = 0x40000000u;
inline constexpr std::uint32_t kAttachedOdbc = 0x20000000u;
// Field attributes.
inline constexpr std::uint32_t kFixedField = 0x1u;
inline constexpr std::uint32_t kVariableField = 0x2u;
inline constexpr std::uint32_t kAutoIncrField = 0x10u;
inline constexpr std::uint32_t kUpdatableField = 0x20u;
}  // namespace attr

// An owned value: a property's value, a default.
using Value = std::variant<std::monostate, bool, std::int64_t, double, std::string>;

// Text of a value as the tree and messages show it; Null gives "".
std::string ValueToText(const Value& value);
// The value as a number for a numeric field: True is -1 as the classic engine has it, text is
// read as a plain decimal number ("12", " -1.5e3 ", "+7"), anything else gives nothing.
std::optional<double> NumberOfValue(const Value& value);

struct Property {
    std::string name;
    int type = ftype::kText;  // a field type code
    Value value;
    bool readable = true;  // false when reading the value failed
};

struct TableInfo {
    std::string name;
    std::uint32_t attributes = 0;
    std::string connect;  // for attached tables: "dBase IV;DATABASE=..." or ";DATABASE=..."
};

struct FieldInfo {
    std::string name;
    int type = ftype::kText;
    long size = 0;
    std::uint32_t attributes = 0;
    bool required = false;
};

struct IndexInfo {
    std::string name;
    std::string fields;  // "+A;-B"
    bool primary = false;
    bool unique = false;
    bool ignoreNulls = false;
    bool foreign = false;
    bool required = false;
};

// An opened database. Structure is read on demand so that a database of thousands of tables
// lists its tables without reading their fields.
class Database {
  public:
    virtual ~Database() = default;

    // The name it was opened with (file path, or directory of a directory database).
    virtual std::string Name() const = 0;
    // The connect text it was opened with ("" for the single-file default).
    virtual std::string Connect() const = 0;
    // "1.1", "2.0", "3.0", ...
    virtual std::string Version() = 0;

    virtual std::vector<TableInfo> TableDefs() = 0;
    virtual std::vector<std::string> QueryDefs() = 0;
    // Throws err::kItemNotFound when the table does not exist.
    virtual std::vector<FieldInfo> Fields(const std::string& table) = 0;
    virtual std::vector<IndexInfo> Indexes(const std::string& table) = 0;

    // Property collections, in a stable order.
    virtual std::vector<Property> Properties() = 0;
    virtual std::vector<Property> TableProperties(const std::string& table) = 0;
    virtual std::vector<Property> QueryProperties(const std::string& query) = 0;
    virtual std::vector<Property> FieldProperties(const std::string& table,
                                                  const std::string& field) = 0;
    virtual std::vector<Property> IndexProperties(const std::string& table,
                                                  const std::string& index) = 0;
    // Appends a user-defined database property (throws when the name exists).
    virtual void CreateProperty(const std::string& name, int type, const Value& value) = 0;

    virtual int QueryTimeout() = 0;
    virtual void SetQueryTimeout(int seconds) = 0;

    virtual void RenameTable(const std::string& from, const std::string& to) = 0;
    virtual void RenameQuery(const std::string& from, const std::string& to) = 0;
    virtual void RenameField(const std::string& table, const std::string& from,
                             const std::string& to) = 0;
    virtual void RenameIndex(const std::string& table, const std::string& from,
                             const std::string& to) = 0;

    // Releases the file; further calls fail. Safe to call twice.
    virtual void Close() = 0;
};

// A value of a streamed row, valid until the cursor moves.
struct ValueView {
    enum class Kind { Null, Integer, Real, Text, Blob };
    Kind kind = Kind::Null;
    std::int64_t integer = 0;
    double real = 0;
    std::string_view bytes;  // Text (UTF-8) or Blob
};

struct ColumnInfo {
    std::string name;
    std::string declaredType;  // as the source declares it, may be empty
    int type = ftype::kText;   // field type code
    long size = 0;
};

// Rows of one statement, read forward.
class Cursor {
  public:
    virtual ~Cursor() = default;
    // Empty for a statement that returns no rows.
    virtual const std::vector<ColumnInfo>& Columns() const = 0;
    // Moves to the next row; false at the end.
    virtual bool Next() = 0;
    virtual ValueView Get(std::size_t column) const = 0;
    // Rows changed by a statement that returns none.
    virtual long RecordsAffected() const { return 0; }
};

// The statement runner's connection, opened from a connection text such as
// "Provider=MSDASQL.1;Extended Properties=DSN=MS Access 97 Database;DBQ=/data/shop.mdb;".
class StatementConnection {
  public:
    virtual ~StatementConnection() = default;
    virtual std::string ConnectionString() const = 0;
    // Runs any statement. The cursor streams the rows (none for a statement without rows).
    virtual std::unique_ptr<Cursor> Execute(const std::string& statement) = 0;
    // Seconds a statement may run before the data source gives up (0: no limit), where the
    // connection's data source keeps such a limit.
    virtual void SetQueryTimeout(int /*seconds*/) {}
    // How tables of other databases named in a statement are reached; without it, such a
    // statement is refused.
    virtual void FindOtherDatabasesWith(ExternalDatabaseFinder /*finder*/) {}
};

class Engine;
class DriverRegistry;

class Workspace {
  public:
    Workspace(Engine& engine, std::string name, std::string user);
    const std::string& Name() const { return name_; }
    const std::string& UserName() const { return user_; }
    std::unique_ptr<Database> OpenDatabase(const std::string& name, bool exclusive, bool readOnly,
                                           const std::string& connect);
    void Close() { closed_ = true; }

  private:
    Engine& engine_;
    std::string name_;
    std::string user_;
    bool closed_ = false;
};

// File formats of new single-file databases.
namespace dbformat {
inline constexpr int kVersion10 = 8;  // 1.1
inline constexpr int kVersion20 = 16;
inline constexpr int kVersion30 = 32;
// Added to a format by CompactDatabase: the copy is encrypted, or not.
inline constexpr int kEncrypt = 2;
inline constexpr int kDecrypt = 4;
}  // namespace dbformat

class Engine {
  public:
    Engine();
    ~Engine();
    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;

    std::unique_ptr<Workspace> CreateWorkspace(const std::string& name, const std::string& user,
                                               const std::string& password);
    int LoginTimeout() const { return loginTimeout_; }
    void SetLoginTimeout(int seconds);

    // `connect` is "" for the single-file default (optionally followed by ";pwd=..."; the last
    // pwd part counts), else a connection type text such as "Dbase IV;". A read-only file opens
    // read-only. Opening never writes to the file.
    std::unique_ptr<Database> OpenDatabase(const std::string& name, bool exclusive, bool readOnly,
                                           const std::string& connect);
    // `options` is a dbformat value; fails when the file exists. `locale` may end with
    // ";pwd=..." to give the new database a password: it is then encrypted with a key derived
    // from the password, and OpenDatabase needs it in `connect`.
    void CreateDatabase(const std::string& name, const std::string& locale, int options);
    // Copies into a new file without free space; `options` 0 keeps the version, a dbformat
    // value sets it. Fails when `destination` exists. With dbformat::kEncrypt the copy is
    // encrypted (with the locale's ";pwd=...", else with the source's own password); with
    // kDecrypt it is a plain file without a password; with neither it is as the source is, or
    // encrypted when the locale gives a new password (";pwd=" alone removes it). An encrypted
    // source needs its password: opened before in this run, or given as the locale's.
    void CompactDatabase(const std::string& source, const std::string& destination,
                         const std::string& locale, int options);
    // Rebuilds a damaged single-file database from what can be read, keeping the damaged
    // original as NAME.bak (NAME.bak1, ...); a sound file stays as it is. Returns notes for the
    // status text: per table "'NAME': 95 of 100 rows saved", then per object left out (not a
    // single CREATE statement of its kind, or not made again) "left out 'NAME' (why)".
    std::vector<std::string> RepairDatabase(const std::string& name);

    // Registers the user data source `dataSourceName` for the ODBC driver `driver` with the
    // attributes "Key=value\0Key=value\0...". Not `silent`, a driver with a setup routine
    // registers it itself; otherwise it is written into the user's odbc.ini. Throws
    // err::kOdbcFailed when it cannot be registered.
    void RegisterDatabase(const std::string& dataSourceName, const std::string& driver, bool silent,
                          const std::string& attributes);

    // Opens the statement runner's connection for a connection text: its data source (DSN=)
    // chooses the family, its DBQ= the database; a data source that is none of the file types'
    // own is an ODBC data source of the machine, whose statements go to it unchanged.
    std::unique_ptr<StatementConnection> OpenConnection(const std::string& connectionString);

    // The databases, of every driver, where a statement began a transaction that no
    // statement ended yet; and ending them all without keeping their changes.
    std::vector<std::string> OpenTransactions() const;
    void RollBackOpenTransactions();

    // The drivers this engine chooses from (driver_registry.h).
    DriverRegistry& Drivers() { return *drivers_; }

    // Called every few thousand steps while a statement or structure read runs, so that the
    // window stays painted; returning false cancels the statement with err::kQueryCancelled.
    // An empty function removes the hook.
    void SetProgressHook(std::function<bool()> keepGoing);

    // While one lives, the progress hook is not asked: work that must not be left half done
    // (making the current database current again after a statement) runs to its end.
    class UninterruptedScope {
      public:
        explicit UninterruptedScope(Engine& engine);
        ~UninterruptedScope();
        UninterruptedScope(const UninterruptedScope&) = delete;
        UninterruptedScope& operator=(const UninterruptedScope&) = delete;

      private:
        Engine& engine_;
    };

  private:
    void ApplyProgressHook(const std::shared_ptr<const std::function<bool()>>& keepGoing);

    int loginTimeout_ = 20;
    std::unique_ptr<DriverRegistry> drivers_;
    std::shared_ptr<const std::function<bool()>> keepGoing_;
    int uninterrupted_ = 0;
};

}  // namespace tessel::db
