// One connection to a data source, shared by the database, the statement runner's connection
// and the cursors made from it, so that it lives as long as any of them. It runs statements
// with the query time-out and lets the engine's progress hook cancel them (SQLCancel).
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "core/db/drivers/odbc/odbc_call.h"

namespace tessel::db::odbc {

// The progress hook as the driver holds it; replaced as a whole when the engine sets another.
using ProgressHook = std::shared_ptr<const std::function<bool()>>;
using SharedProgressHook = std::shared_ptr<ProgressHook>;

class Link {
  public:
    // Connects with `connect` ("ODBC;DSN=...;" or "PROVIDER=MSDASQL.1;DSN=...;", the leading
    // type or provider part is left out), without asking the person; an empty UID or PWD
    // leaves the data source's own. `loginTimeout` 0 waits as long as the driver does.
    static std::shared_ptr<Link> Connect(const std::string& connect, int loginTimeout,
                                         SharedProgressHook progress);

    // The connect text as the driver completed it, without a leading "ODBC;".
    const std::string& Completed() const { return completed_; }
    // A text answer of SQLGetInfo, "" when the driver has none.
    std::string Info(SQLUSMALLINT type) const;
    // A new statement handle with the query time-out set.
    Handle NewStatement() const;
    // Runs `statement` on `handle`, asking the progress hook while the driver works; a hook
    // that says no cancels it with SQLCancel (err::kQueryCancelled).
    void Execute(Handle& handle, const std::string& statement) const;
    // Asks the progress hook once; cancels the statement on `handle` when it says no.
    void KeepGoingOrCancel(const Handle& handle) const;

    int queryTimeout = 0;

  private:
    Link() = default;
    Handle env_;
    Handle dbc_;
    std::string completed_;
    SharedProgressHook progress_;
};

// `text` without its pairs of the key `key` (any case).
std::string WithoutPair(const std::string& text, const std::string& key);

}  // namespace tessel::db::odbc
