// Engine errors: the numbers that callers branch on, and the exception that carries them.
//
// Every engine operation reports a failure by throwing `EngineError`. Its number is one of the
// values below where the program branches on it; other failures carry a number of the same
// family chosen by the driver, with a description written as a clear sentence that names the
// file or object and the cause.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

namespace tessel::db {

namespace err {
inline constexpr long kInvalidArgument = 5;
inline constexpr long kOverflow = 6;
inline constexpr long kDivisionByZero = 11;
inline constexpr long kTypeMismatch = 13;
inline constexpr long kOutOfStringSpace = 14;  // a text or blob longer than allowed
inline constexpr long kFileNotFound = 53;
inline constexpr long kPermissionDenied = 70;
inline constexpr long kPathNotFound = 76;
inline constexpr long kReserved = 3000;               // any other engine failure
inline constexpr long kFieldTooSmall = 3163;          // text or binary too long for its field
inline constexpr long kNumericOverflow = 3349;        // a number out of its field's range
inline constexpr long kDataTypeMismatch = 3464;       // a value of the wrong kind for its field
inline constexpr long kDuplicateValue = 3022;         // unique index or primary key violated
inline constexpr long kFileMissing = 3024;            // the database file does not exist
inline constexpr long kReadOnly = 3027;               // the database or object is read-only
inline constexpr long kBadPassword = 3031;            // not a valid password
inline constexpr long kDiskFull = 3035;               // out of disk space or other resource
inline constexpr long kBadPath = 3044;                // not a valid path
inline constexpr long kUnreadableDatabase = 3049;     // damaged, or not a database
inline constexpr long kObjectExists = 3010;           // table or query already exists
inline constexpr long kItemNotFound = 3265;           // item not found in this collection
inline constexpr long kObjectNotFound = 3011;         // table or query not found
inline constexpr long kSyntaxError = 3075;            // syntax error in a statement
inline constexpr long kNullNotAllowed = 3314;         // a field that requires a value got Null
inline constexpr long kLocked = 3260;                 // the database is locked by another user
inline constexpr long kNoDriver = 3170;               // no driver for this connection type
inline constexpr long kOdbcFailed = 3146;             // ODBC call failed
inline constexpr long kNotSupported = 3251;           // operation not supported by this driver
inline constexpr long kCannotOpenFile = 3051;         // no permission, or opened exclusively
inline constexpr long kNullInIndex = 3058;            // an index or primary key got a Null value
inline constexpr long kQueryCancelled = 3059;         // the statement was cancelled
inline constexpr long kUnknownField = 3061;           // a field name the statement's tables lack
inline constexpr long kUndefinedFunction = 3085;      // a function the engine does not know
inline constexpr long kTableNotFound = 3078;          // input table or query not found
inline constexpr long kInvalidName = 3125;            // not a valid name for an object
inline constexpr long kInvalidStatement = 3129;       // not a statement the engine knows
inline constexpr long kTextAfterStatement = 3142;     // characters after the end of the statement
inline constexpr long kTransformSyntax = 3143;        // a crosstab (TRANSFORM) statement's syntax
inline constexpr long kTooManyFields = 3190;          // more than 255 fields
inline constexpr long kFieldExists = 3191;            // field defined more than once
inline constexpr long kRelatedRecordRequired = 3201;  // a relationship refused the change
inline constexpr long kDatabaseExists = 3204;         // the new database's file already exists
inline constexpr long kObjectClosed = 3420;           // the object was closed or is no longer set
inline constexpr long kInvalidFieldType = 3259;       // unknown or invalid field data type
inline constexpr long kFieldInIndex = 3280;           // the field is part of an index
inline constexpr long kPrimaryKeyExists = 3283;       // the table already has a primary key
inline constexpr long kInRelationship = 3303;         // used in a relationship, cannot be removed
inline constexpr long kValidationFailed = 3317;       // a validation rule or check refused a value
inline constexpr long kDuplicateName = 3367;          // an object of that name is in the collection
inline constexpr long kIndexExists = 3375;            // the table already has an index of that name
inline constexpr long kNoSuchTable = 3376;            // DROP of a table that does not exist
inline constexpr long kDialogCancelled = 32755;
inline constexpr long kDuplicateKey = 35602;  // duplicate key in the tree
}  // namespace err

// One entry of the engine's error list.
struct ErrorRecord {
    long number = 0;
    std::string description;
    std::string source;
};

inline constexpr const char* kEngineSource = "Tessel engine";

class EngineError : public std::runtime_error {
  public:
    EngineError(long number, std::string description, std::string source = kEngineSource,
                std::vector<ErrorRecord> details = {})
        : std::runtime_error(description),
          number_(number),
          description_(std::move(description)),
          source_(std::move(source)),
          details_(std::move(details)) {}

    long Number() const { return number_; }
    const std::string& Description() const { return description_; }
    const std::string& Source() const { return source_; }
    // The errors below this one (for example the SQLite or ODBC diagnostics), in order.
    const std::vector<ErrorRecord>& Details() const { return details_; }

  private:
    long number_;
    std::string description_;
    std::string source_;
    std::vector<ErrorRecord> details_;
};

}  // namespace tessel::db
