// The meaning of a directory of tables to the engine: the Jet type and size of each stored
// field, the stored field that a Jet field becomes in a new table of each format, and the
// "Version" that the version bytes of the tables give.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/db/connection_types.h"
#include "core/db/drivers/dbf/dbf_codepage.h"
#include "core/db/drivers/dbf/dbf_header.h"
#include "core/db/engine.h"

namespace tessel::db::dbf {

// The formats this driver writes new tables in.
enum class Format { Dbase3, Dbase4, FoxPro2, VisualFoxPro };

// The Version text of a family's connect text ("Dbase IV;" gives "4.0"); the family's newest
// version when the text names none.
std::string VersionOfConnect(Family family, const std::string& connect);
Format FormatOf(Family family, const std::string& version);

// What a table's version byte says: "3.0", "4.0", "5.0" for dBase; "2.0" to "3.0" for FoxPro.
// Bytes that several versions write (0x03, 0x8B, 0xF5) give the version of the connect text
// when it is one of them, else the newest version that writes the byte.
std::string VersionOfTable(std::uint8_t versionByte, Family family,
                           const std::string& connectVersion);

// The format that changes to an existing table keep; a 0x03 table (no memo) is taken in the
// format of the connect text, as long as it is not Visual FoxPro, whose tables are never 0x03.
Format FormatOfTable(std::uint8_t versionByte, Family family, const std::string& connectVersion);
// The version byte of a table of `format` that has gained a memo field.
std::uint8_t VersionWithMemo(std::uint8_t versionByte, Format format);

// The stored field for a Jet field in a table of `format`; `name` is the stored name. Throws
// EngineError naming the table and field for what the format cannot hold.
FieldDescriptor StoredField(Format format, const std::string& table, const FieldInfo& info,
                            const std::string& name);

// A field name as stored: upper case, in the table's code page, at most 10 bytes. Throws
// err::kInvalidName naming the table and field otherwise.
std::string StoredName(const std::string& table, const std::string& name, TextCodec& codec);

FieldInfo FieldInfoOf(const TableHeader& header, const FieldDescriptor& field,
                      const std::string& name);

// The header of a new, empty table of `format` with `fields`. Throws EngineError naming the
// table and field for what the format cannot hold.
TableHeader NewTableHeader(Format format, const std::string& table,
                           const std::vector<FieldInfo>& fields);

}  // namespace tessel::db::dbf
