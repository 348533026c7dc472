// One field of a record between its stored bytes and a db::Value: texts in the table's code
// page, numbers as ASCII digits or binary, dates as "YYYYMMDD" or a Julian day, logicals as one
// letter. Blank numbers, dates and logicals ('?' or ' ') read as Null. Memo fields hold a block
// number here; their values live in the memo file (dbf_memo.h).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/db/drivers/dbf/dbf_codepage.h"
#include "core/db/drivers/dbf/dbf_header.h"
#include "core/db/engine.h"

namespace tessel::db::dbf {

// The Julian day number of 1899-12-30, the classic engine's day 0.
inline constexpr long kJulianDayOfSerialZero = 2415019;

// The ISO text of a Julian day and the milliseconds after its midnight; Null for a day or time
// that is not one, or a year outside the program's dates.
Value DateOfJulian(long julianDay, long milliseconds);

bool IsMemoType(const TableHeader& header, const FieldDescriptor& field);

// Who a written value belongs to, for messages.
struct FieldPlace {
    const std::string& table;
    const FieldDescriptor& field;
};

// The value of a non-memo field of `record` (the whole record, deleted flag first).
Value DecodeField(std::string_view record, const TableHeader& header, const FieldDescriptor& field,
                  TextCodec& codec);

// Writes a non-memo field. Throws EngineError naming the field and table when the value does
// not fit (err::kFieldTooSmall, err::kNumericOverflow), is of the wrong kind
// (err::kDataTypeMismatch) or has a character the code page cannot hold.
void EncodeField(std::string& record, const TableHeader& header, const FieldDescriptor& field,
                 TextCodec& codec, const Value& value, const std::string& table);

// The memo block a memo field points to; nothing when it holds none.
std::optional<std::uint32_t> MemoBlockOf(std::string_view record, const FieldDescriptor& field);
void PutMemoBlock(std::string& record, const FieldDescriptor& field,
                  std::optional<std::uint32_t> block);

// The _NullFlags bits of Visual FoxPro records.
bool NullFlag(std::string_view record, const TableHeader& header, int bit);
void SetNullFlag(std::string& record, const TableHeader& header, int bit, bool on);

// A record of blanks (every field empty, every nullable field Null).
std::string BlankRecord(const TableHeader& header);

}  // namespace tessel::db::dbf
