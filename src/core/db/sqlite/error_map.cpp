#include "core/db/sqlite/error_map.h"

#include <cstring>
#include <optional>
#include <vector>

#include "core/db/jetsql/type_rules.h"
#include "core/db/sqlite/jet_operators.h"
#include "core/db/system_error.h"

namespace tessel::db::sqlite {
namespace {

bool StartsWith(const std::string& text, const char* prefix) {
    return text.rfind(prefix, 0) == 0;
}

std::string After(const std::string& text, const char* prefix) {
    return text.substr(std::string(prefix).size());
}

std::string FileLabel(const std::string& file) {
    return file.empty() ? std::string("the database") : "'" + file + "'";
}

std::string DamagedSentence(const std::string& file) {
    return "The database " + FileLabel(file) + " is damaged or is not a database";
}

// The classic run-time errors that the dialect's functions raise, as "<error> in <function>".
std::optional<std::pair<long, std::string>> FunctionFailure(const std::string& message) {
    struct Failure {
        const char* error;
        long number;
        const char* why;
    };
    static constexpr Failure kFailures[] = {
        {"Type mismatch", err::kTypeMismatch, "was given a value of a kind it cannot take"},
        {"Overflow", err::kOverflow, "gives a value too large for its type"},
        {"Invalid procedure call or argument", err::kInvalidArgument,
         "was given an argument outside the values it accepts"},
    };
    for (const auto& failure : kFailures) {
        if (!StartsWith(message, failure.error))
            continue;
        const std::string rest = After(message, failure.error);
        // "Type mismatch: DateAdd cannot read ..." is already the whole sentence.
        if (StartsWith(rest, ": "))
            return std::pair<long, std::string>{failure.number, message + "."};
        if (!rest.empty() && !StartsWith(rest, " in "))
            continue;
        const std::string function =
            rest.empty() ? "a function" : "the function " + After(rest, " in ");
        return std::pair<long, std::string>{failure.number, std::string(failure.error) + ": " +
                                                                function + " " + failure.why +
                                                                " (SQLite: " + message + ")."};
    }
    return std::nullopt;
}

// The type rule that refused a value, from SQLite's "CHECK constraint failed: name".
std::optional<jetsql::TypeRuleName> TypeRuleOf(const std::string& message) {
    const char* prefix = "CHECK constraint failed: ";
    if (!StartsWith(message, prefix))
        return std::nullopt;
    return jetsql::ReadTypeRuleName(After(message, prefix));
}

std::pair<long, std::string> DescribeTypeRule(const jetsql::TypeRuleName& rule) {
    const std::string field = "'" + rule.table + "." + rule.field + "'";
    switch (rule.kind) {
        case jetsql::RuleKind::Size:
            return {err::kFieldTooSmall,
                    "The field " + field +
                        " is too small to accept the amount of data you attempted to add. Try "
                        "inserting or pasting less data."};
        case jetsql::RuleKind::Range:
            return {err::kNumericOverflow, "Numeric field overflow: the value does not fit the " +
                                               rule.type + " field " + field + "."};
        case jetsql::RuleKind::Kind:
            break;
    }
    return {err::kDataTypeMismatch, "Data type mismatch: the " + rule.type + " field " + field +
                                        " cannot hold that value."};
}

// Number and sentence for a SQLite failure; the message is quoted in every sentence.
std::pair<long, std::string> DescribeCode(int rc, const std::string& message,
                                          const std::string& file, int systemError) {
    const int primary = rc & 0xff;
    const std::string sqliteSays = " (SQLite: " + message + ")";
    const std::string systemSays =
        systemError != 0 ? std::string(": ") + std::strerror(systemError) : std::string();
    if (StartsWith(message, "no such table: ")) {
        return {err::kTableNotFound, "The engine cannot find the table or query '" +
                                         After(message, "no such table: ") +
                                         "'. Make sure it exists and that its name is spelled "
                                         "correctly" +
                                         sqliteSays + "."};
    }
    if (StartsWith(message, "no such column: ")) {
        return {err::kUnknownField, "The statement names the field '" +
                                        After(message, "no such column: ") +
                                        "', which none of its tables has" + sqliteSays + "."};
    }
    if (StartsWith(message, "no such function: ")) {
        return {err::kUndefinedFunction, "Undefined function '" +
                                             After(message, "no such function: ") +
                                             "' in expression" + sqliteSays + "."};
    }
    if (StartsWith(message, "wrong number of arguments to function ")) {
        std::string name = After(message, "wrong number of arguments to function ");
        if (name.size() > 2 && name.compare(name.size() - 2, 2, "()") == 0)
            name.resize(name.size() - 2);
        return {err::kSyntaxError, "Wrong number of arguments used with the function '" + name +
                                       "' in the statement" + sqliteSays + "."};
    }
    if (auto failure = FunctionFailure(message))
        return *failure;
    for (const char* kind : {"table ", "view ", "index ", "trigger "}) {
        const std::string tail = " already exists";
        if (StartsWith(message, kind) && message.size() > tail.size() &&
            message.compare(message.size() - tail.size(), tail.size(), tail) == 0) {
            const bool index = std::string(kind) == "index ";
            return {index ? err::kIndexExists : err::kObjectExists,
                    "The object " +
                        message.substr(std::string(kind).size(),
                                       message.size() - tail.size() - std::string(kind).size()) +
                        " already exists" + sqliteSays + "."};
        }
    }
    if (rc == SQLITE_CONSTRAINT_NOTNULL ||
        (rc == SQLITE_CONSTRAINT_TRIGGER && StartsWith(message, "NOT NULL constraint failed"))) {
        std::string field = message;
        const auto colon = message.find(": ");
        if (colon != std::string::npos)
            field = message.substr(colon + 2);
        return {err::kNullNotAllowed, "The field '" + field +
                                          "' cannot contain a Null value: it is required or part "
                                          "of a primary key or a 'disallow null' index" +
                                          sqliteSays + "."};
    }
    if (rc == SQLITE_CONSTRAINT_CHECK) {
        if (auto rule = TypeRuleOf(message))
            return DescribeTypeRule(*rule);
    }
    if (rc == SQLITE_CONSTRAINT_UNIQUE || rc == SQLITE_CONSTRAINT_PRIMARYKEY ||
        rc == SQLITE_CONSTRAINT_ROWID) {
        return {err::kDuplicateValue,
                "The changes were not made because they would create duplicate values in an "
                "index, primary key or relationship" +
                    sqliteSays + "."};
    }
    if (rc == SQLITE_CONSTRAINT_FOREIGNKEY) {
        return {err::kRelatedRecordRequired,
                "The record cannot be added, changed or deleted because a related record is "
                "required or depends on it" +
                    sqliteSays + "."};
    }
    // Errors of the classic operators (jet_operators.h) keep the classic texts.
    if (primary == SQLITE_ERROR && message == kDivisionByZeroText)
        return {err::kDivisionByZero, message};
    // An encrypted page that fails its check was changed outside the program: it is never
    // decrypted into wrong data.
    if (rc == SQLITE_IOERR_DATA) {
        return {err::kUnreadableDatabase, DamagedSentence(file) +
                                              ": a page of the encrypted file fails its "
                                              "integrity check" +
                                              sqliteSays + "."};
    }
    switch (primary) {
        case SQLITE_ERROR:
            if (message.find("syntax error") != std::string::npos ||
                message.find("incomplete input") != std::string::npos ||
                StartsWith(message, "unrecognized token")) {
                return {err::kSyntaxError, "Syntax error in the statement" + sqliteSays + "."};
            }
            break;
        case SQLITE_READONLY:
            return {err::kReadOnly, "The database " + FileLabel(file) +
                                        " is read-only, so it cannot be changed" + sqliteSays +
                                        "."};
        case SQLITE_BUSY:
        case SQLITE_LOCKED:
            return {err::kLocked, "The database " + FileLabel(file) +
                                      " is locked by another user or process" + sqliteSays + "."};
        case SQLITE_NOTADB:
        case SQLITE_CORRUPT:
            return {err::kUnreadableDatabase, DamagedSentence(file) + sqliteSays + "."};
        case SQLITE_TOOBIG:
            return {err::kOutOfStringSpace,
                    "Out of string space: a text or binary value would be longer than the "
                    "engine allows" +
                        sqliteSays + "."};
        case SQLITE_FULL:
        case SQLITE_NOMEM:
            return {err::kDiskFull,
                    "The disk is full or another resource ran out while working "
                    "on " +
                        FileLabel(file) + sqliteSays + "."};
        case SQLITE_CANTOPEN:
            return {err::kBadPath, "The database " + FileLabel(file) +
                                       " or its journal cannot be opened" + systemSays +
                                       sqliteSays + "."};
        case SQLITE_PERM:
        case SQLITE_AUTH:
            return {err::kPermissionDenied,
                    "Permission denied on " + FileLabel(file) + sqliteSays + "."};
        case SQLITE_IOERR:
            return {err::kReserved, "Reading or writing " + FileLabel(file) + " failed" +
                                        systemSays + sqliteSays + "."};
        case SQLITE_INTERRUPT:
            return {err::kQueryCancelled,
                    "Operation cancelled: the statement was stopped before it ended, and "
                    "nothing it changed is kept" +
                        sqliteSays + "."};
        case SQLITE_CONSTRAINT:
            return {err::kValidationFailed,
                    "A validation rule or constraint of the table "
                    "refused the change" +
                        sqliteSays + "."};
        default:
            break;
    }
    return {err::kReserved,
            "The engine could not complete the operation on " + FileLabel(file) + sqliteSays + "."};
}

// A file that cannot be opened or read is told apart by the system's own error: missing,
// refused or on a full disk.
std::pair<long, std::string> Describe(int rc, const std::string& message, const std::string& file,
                                      int systemError) {
    auto described = DescribeCode(rc, message, file, systemError);
    const int primary = rc & 0xff;
    if ((primary == SQLITE_CANTOPEN || primary == SQLITE_IOERR) && rc != SQLITE_IOERR_DATA)
        described.first = SystemErrorNumber(systemError, described.first);
    return described;
}

}  // namespace

long SqliteErrorNumber(int rc, const std::string& message, int systemError) {
    return Describe(rc, message, "", systemError).first;
}

SqliteFailure ReadFailure(sqlite3* db, int rc) {
    if (db == nullptr)
        return {rc, sqlite3_errstr(rc), 0};
    const int extended = sqlite3_extended_errcode(db);
    const int code = extended != 0 ? extended : rc;
    const int primary = code & 0xff;
    // SQLite keeps the errno of its last failed system call, which is only this failure's
    // cause when the failure was the system's.
    const int systemError =
        primary == SQLITE_CANTOPEN || primary == SQLITE_IOERR ? sqlite3_system_errno(db) : 0;
    return {code, sqlite3_errmsg(db), systemError};
}

EngineError MapSqliteError(int rc, const std::string& message, const std::string& file,
                           int systemError) {
    auto [number, description] = Describe(rc, message, file, systemError);
    std::vector<ErrorRecord> details{{rc, message, kSqliteSource}};
    return EngineError(number, std::move(description), kEngineSource, std::move(details));
}

EngineError DamagedDatabase(const std::string& file, const std::string& why) {
    return EngineError(err::kUnreadableDatabase, DamagedSentence(file) + ": " + why + ".");
}

EngineError MapSqliteError(sqlite3* db, int rc, const std::string& file) {
    const SqliteFailure failure = ReadFailure(db, rc);
    return MapSqliteError(failure.code, failure.message, file, failure.systemError);
}

void ThrowSqliteError(sqlite3* db, int rc, const std::string& file) {
    throw MapSqliteError(db, rc, file);
}

}  // namespace tessel::db::sqlite
