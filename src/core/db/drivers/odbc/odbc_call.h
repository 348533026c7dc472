// The driver manager's handles and diagnostics: owning wrappers that free what they allocate,
// and the one place where a failed call becomes an EngineError (err::kOdbcFailed) that carries
// every diagnostic record the driver left, in its order.
#pragma once

#include <sql.h>
#include <sqlext.h>

#include <string>

#include "core/db/errors.h"

namespace tessel::db::odbc {

inline constexpr const char* kOdbcSource = "ODBC driver manager";

// True for SQL_SUCCESS and SQL_SUCCESS_WITH_INFO.
inline bool Succeeded(SQLRETURN result) {
    return SQL_SUCCEEDED(result);
}

// The error for a failed call on `handle`: `what` says what was being done, the driver's
// first diagnostic completes the sentence, and all of them become the error's details.
EngineError CallFailed(SQLSMALLINT handleType, SQLHANDLE handle, const std::string& what);

// Throws CallFailed unless `result` succeeded.
void Check(SQLRETURN result, SQLSMALLINT handleType, SQLHANDLE handle, const std::string& what);

// One handle of the driver manager, freed when the wrapper goes.
class Handle {
  public:
    Handle() = default;
    Handle(SQLSMALLINT type, SQLHANDLE handle) : type_(type), handle_(handle) {}
    ~Handle() { Reset(); }
    Handle(Handle&& other) noexcept : type_(other.type_), handle_(other.handle_) {
        other.handle_ = SQL_NULL_HANDLE;
    }
    Handle& operator=(Handle&& other) noexcept;
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;

    SQLHANDLE get() const { return handle_; }
    SQLSMALLINT type() const { return type_; }
    void Reset();

  private:
    SQLSMALLINT type_ = SQL_HANDLE_ENV;
    SQLHANDLE handle_ = SQL_NULL_HANDLE;
};

// An environment that speaks ODBC 3.
Handle NewEnvironment();
// A handle of `type` below `parent`.
Handle NewHandle(SQLSMALLINT type, const Handle& parent, const std::string& what);

// Text from a driver buffer of SQLCHAR, cut at the length the driver reported (or its NUL),
// never past the buffer.
std::string BufferText(const SQLCHAR* buffer, std::size_t capacity, SQLLEN reported);

}  // namespace tessel::db::odbc
