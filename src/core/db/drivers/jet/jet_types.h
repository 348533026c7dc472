// The file's column types as the engine's field type codes and sizes.
#pragma once

#include "core/db/drivers/jet/mdb.h"

#include "core/db/engine.h"

namespace tessel::db::jet {

// Types of newer files that libmdb's header does not name.
inline constexpr int kStoredBigInt = 0x13;
inline constexpr int kStoredExtendedDate = 0x14;

// What an attachment or multi-valued field shows: its values live in hidden tables.
inline constexpr const char* kComplexPlaceholder =
    "(attachments or multiple values: not shown by this program)";

// The field of a column: Jet type code, size (text sizes in characters, where libmdb reports
// bytes for the UCS-2 formats), fixed/variable and counter attributes.
// `storedType`, when given, stands for the column's own (a calculated field's result type).
FieldInfo DescribeField(const MdbColumn& column, bool wideText, int storedType = -1);

}  // namespace tessel::db::jet
