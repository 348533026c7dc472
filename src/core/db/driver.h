// The driver seam: what one kind of database file (or data source) must offer the engine.
//
// A driver serves one or more connection-type families, recognises its files by their
// signature (never by the name alone), opens and creates databases, and runs statements over
// them. The engine chooses a driver through the registry (driver_registry.h) and never
// compares connection-type texts itself. A driver declares what it can do; an operation it
// cannot do fails with err::kNotSupported and a sentence that says what is missing and what the
// person can do instead.
//
// File drivers other than SQLite present their tables to SQLite as virtual tables through the
// adapter in vtab/ (see table_store.h), so that the Jet dialect, joins, aggregates and
// subqueries work over every driver.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/db/connection_types.h"
#include "core/db/engine.h"
#include "core/db/external_database.h"

namespace tessel::db {

struct DriverCapabilities {
    bool read = true;
    bool write = false;
    bool ddl = false;
    bool transactions = false;
    bool passwords = false;
};

struct OpenRequest {
    std::string name;     // the file, or the directory of a directory database
    std::string connect;  // the connect text as given ("" or ";pwd=..." for the default)
    bool exclusive = false;
    bool readOnly = false;
};

class Driver {
  public:
    virtual ~Driver() = default;

    // What the driver reads, for messages: "SQLite database files".
    virtual std::string Name() const = 0;
    virtual std::vector<Family> Families() const = 0;
    virtual DriverCapabilities Capabilities() const = 0;

    // True when the file or directory at `path` is one this driver reads, judged by its
    // signature. Never throws and never writes.
    virtual bool Recognises(const std::string& path) const = 0;
    // True when the driver already has the file at `path` open as the same file, which spares
    // asking every driver to read its signature again. Never throws.
    virtual bool Holds(const std::string& /*path*/) const { return false; }

    // Opens a database; the Database's Version() is what DetectVersion reads.
    virtual std::unique_ptr<Database> Open(const OpenRequest& request) = 0;

    // The statement runner's connection to the database `name`.
    virtual std::unique_ptr<StatementConnection> Connect(const std::string& name,
                                                         const std::string& connectionString) = 0;

    // The database `name` as a statement over another database reaches it (FROM t IN 'name'
    // 'connect'). The default refuses with err::kNotSupported.
    virtual ExternalDatabase External(const std::string& name, const std::string& connect);

    // A new, empty database; `format` is a dbformat value, `password` "" for none. Fails when
    // it exists.
    virtual void Create(const std::string& name, int format, const std::string& password);

    // Copies `source` into the new `destination` without free space (see Engine).
    virtual void Compact(const std::string& source, const std::string& destination, int format,
                         const std::optional<std::string>& password);

    // Rebuilds a damaged database from what can be read; returns notes on what each table kept
    // and what was left out (see Engine::RepairDatabase).
    virtual std::vector<std::string> Repair(const std::string& name);

    // Lets go of every file the driver keeps open (before a maintenance tool replaces files).
    virtual void ReleaseFiles() {}

    // The databases where a statement began a transaction that no statement ended yet.
    virtual std::vector<std::string> OpenTransactions() const { return {}; }
    // Ends each of them without keeping its changes.
    virtual void RollBackOpenTransactions() {}

    // Called while long statements run; returning false cancels (err::kQueryCancelled).
    virtual void SetProgressHook(std::shared_ptr<const std::function<bool()>> /*keepGoing*/) {}

    // How long connecting to a server may take, in seconds (0: as long as the server needs).
    virtual void SetLoginTimeout(int /*seconds*/) {}
};

}  // namespace tessel::db
