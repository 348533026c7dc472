#include "core/db/drivers/odbc/odbc_call.h"

#include <array>
#include <cstring>

namespace tessel::db::odbc {

std::string BufferText(const SQLCHAR* buffer, std::size_t capacity, SQLLEN reported) {
    const char* text = reinterpret_cast<const char*>(buffer);
    std::size_t length = ::strnlen(text, capacity);
    if (reported >= 0 && static_cast<std::size_t>(reported) < length)
        length = static_cast<std::size_t>(reported);
    return std::string(text, length);
}

EngineError CallFailed(SQLSMALLINT handleType, SQLHANDLE handle, const std::string& what) {
    std::vector<ErrorRecord> records;
    for (SQLSMALLINT record = 1; handle != SQL_NULL_HANDLE; ++record) {
        std::array<SQLCHAR, 6> state{};
        std::array<SQLCHAR, 1024> message{};
        SQLINTEGER native = 0;
        SQLSMALLINT length = 0;
        const SQLRETURN result =
            SQLGetDiagRec(handleType, handle, record, state.data(), &native, message.data(),
                          static_cast<SQLSMALLINT>(message.size()), &length);
        if (!Succeeded(result))
            break;
        const std::string stateText = BufferText(state.data(), state.size(), 5);
        records.push_back(
            {static_cast<long>(native),
             "[" + stateText + "] " + BufferText(message.data(), message.size(), length),
             kOdbcSource});
    }
    std::string description = what;
    description +=
        records.empty() ? ": the driver gave no reason." : ": " + records.front().description;
    return EngineError(err::kOdbcFailed, description, kOdbcSource, std::move(records));
}

void Check(SQLRETURN result, SQLSMALLINT handleType, SQLHANDLE handle, const std::string& what) {
    if (!Succeeded(result))
        throw CallFailed(handleType, handle, what);
}

Handle& Handle::operator=(Handle&& other) noexcept {
    if (this != &other) {
        Reset();
        type_ = other.type_;
        handle_ = other.handle_;
        other.handle_ = SQL_NULL_HANDLE;
    }
    return *this;
}

void Handle::Reset() {
    if (handle_ != SQL_NULL_HANDLE) {
        if (type_ == SQL_HANDLE_DBC)
            SQLDisconnect(handle_);
        SQLFreeHandle(type_, handle_);
        handle_ = SQL_NULL_HANDLE;
    }
}

Handle NewEnvironment() {
    SQLHANDLE env = SQL_NULL_HANDLE;
    if (!Succeeded(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env))) {
        throw EngineError(err::kOdbcFailed,
                          "The ODBC driver manager could not give an environment: it may be "
                          "missing or out of memory.",
                          kOdbcSource);
    }
    Handle handle(SQL_HANDLE_ENV, env);
    Check(SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0),
          SQL_HANDLE_ENV, env, "The ODBC driver manager refused ODBC version 3");
    return handle;
}

Handle NewHandle(SQLSMALLINT type, const Handle& parent, const std::string& what) {
    SQLHANDLE handle = SQL_NULL_HANDLE;
    Check(SQLAllocHandle(type, parent.get(), &handle), parent.type(), parent.get(), what);
    return Handle(type, handle);
}

}  // namespace tessel::db::odbc
