#include "core/db/drivers/odbc/odbc_link.h"

#include <array>
#include <chrono>
#include <future>
#include <vector>

#include "core/db/connection_text.h"
#include "core/db/drivers/odbc/odbc_driver_settings.h"
#include "core/db/names.h"

namespace tessel::db::odbc {

namespace {

constexpr auto kPollInterval = std::chrono::milliseconds(20);

// The text the driver is given: without the "ODBC;" type, the provider, and empty UID or PWD
// pairs (which would replace what the data source keeps).
std::string DriverConnectText(const std::string& connect) {
    std::string text = connect;
    if (text.size() >= 5 && SameName(text.substr(0, 5), "ODBC;"))
        text.erase(0, 5);
    text = WithoutPair(text, "PROVIDER");
    for (const char* key : {"UID", "PWD"}) {
        const auto value = ConnectValue(text, key);
        if (value && value->empty())
            text = WithoutPair(text, key);
    }
    return text;
}

EngineError Cancelled() {
    return EngineError(err::kQueryCancelled,
                       "The statement was cancelled before the data source finished it.");
}

}  // namespace

std::string WithoutPair(const std::string& text, const std::string& key) {
    std::string kept;
    std::size_t from = 0;
    for (const auto& pair : SplitConnectPairs(text)) {
        if (SameName(pair.key, key)) {
            kept += text.substr(from, pair.begin - from);
            from = pair.end;
        }
    }
    return kept + text.substr(from);
}

std::shared_ptr<Link> Link::Connect(const std::string& connect, int loginTimeout,
                                    SharedProgressHook progress) {
    std::shared_ptr<Link> link(new Link());
    link->progress_ = std::move(progress);
    link->env_ = NewEnvironment();
    link->dbc_ = NewHandle(SQL_HANDLE_DBC, link->env_, "No connection handle could be made");
    if (loginTimeout > 0) {
        // A driver that cannot limit the login waits as it does; that is no reason to fail.
        SQLSetConnectAttr(link->dbc_.get(), SQL_ATTR_LOGIN_TIMEOUT,
                          reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(loginTimeout)), 0);
    }
    const std::string asGiven = DriverConnectText(connect);
    std::string text = WithRowsAsRead(asGiven);
    std::vector<SQLCHAR> out(4096);
    SQLSMALLINT outLength = 0;
    const SQLRETURN result =
        SQLDriverConnect(link->dbc_.get(), nullptr, reinterpret_cast<SQLCHAR*>(text.data()),
                         static_cast<SQLSMALLINT>(text.size()), out.data(),
                         static_cast<SQLSMALLINT>(out.size()), &outLength, SQL_DRIVER_NOPROMPT);
    if (!Succeeded(result)) {
        const std::string shown = WithoutPasswords(asGiven);
        // The handle no longer holds a connection: nothing to disconnect.
        EngineError error =
            CallFailed(SQL_HANDLE_DBC, link->dbc_.get(),
                       "The data source could not be connected with '" + shown + "'");
        throw error;
    }
    link->completed_ = BufferText(out.data(), out.size(), outLength);
    if (link->completed_.empty())
        link->completed_ = asGiven;
    return link;
}

std::string Link::Info(SQLUSMALLINT type) const {
    std::array<SQLCHAR, 512> value{};
    SQLSMALLINT length = 0;
    if (!Succeeded(SQLGetInfo(dbc_.get(), type, value.data(),
                              static_cast<SQLSMALLINT>(value.size()), &length))) {
        return {};
    }
    return BufferText(value.data(), value.size(), length);
}

Handle Link::NewStatement() const {
    Handle statement = NewHandle(SQL_HANDLE_STMT, dbc_, "No statement handle could be made");
    if (queryTimeout > 0) {
        Check(SQLSetStmtAttr(statement.get(), SQL_ATTR_QUERY_TIMEOUT,
                             reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(queryTimeout)), 0),
              SQL_HANDLE_STMT, statement.get(), "The query time-out could not be set");
    }
    return statement;
}

void Link::KeepGoingOrCancel(const Handle& handle) const {
    const ProgressHook hook = progress_ ? *progress_ : nullptr;
    if (hook && *hook && !(*hook)()) {
        SQLCancel(handle.get());
        throw Cancelled();
    }
}

void Link::Execute(Handle& handle, const std::string& statement) const {
    const ProgressHook hook = progress_ ? *progress_ : nullptr;
    std::string text = statement;
    const auto run = [&] {
        return SQLExecDirect(handle.get(), reinterpret_cast<SQLCHAR*>(text.data()),
                             static_cast<SQLINTEGER>(text.size()));
    };
    SQLRETURN result = SQL_SUCCESS;
    if (!hook || !*hook) {
        result = run();
    } else {
        // The hook is asked here, on the caller's thread, while the driver's blocking call
        // waits on a thread of its own; SQLCancel from here is how a synchronous driver is
        // stopped.
        auto pending = std::async(std::launch::async, run);
        bool cancelled = false;
        while (pending.wait_for(kPollInterval) != std::future_status::ready) {
            if (!cancelled && !(*hook)()) {
                SQLCancel(handle.get());
                cancelled = true;
            }
        }
        result = pending.get();
        if (cancelled)
            throw Cancelled();
    }
    // A statement that changes nothing (an UPDATE without rows) answers SQL_NO_DATA.
    if (result != SQL_NO_DATA)
        Check(result, SQL_HANDLE_STMT, handle.get(), "The data source refused the statement");
}

}  // namespace tessel::db::odbc
