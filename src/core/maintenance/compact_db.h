// Tools > Compact and the CompactDB command: copies an Access-type database into a new file
// without free space, in a chosen file format and with encryption switched on or off. A genuine
// Access file compacted this way becomes a writable database of the embedded default.
#pragma once

#include <string>

#include "core/session/session.h"

namespace tessel {

namespace compact {
inline constexpr int kVersion20 = 16;  // file format 2.0
inline constexpr int kVersion30 = 32;  // file format 3.0, offered as "7.0"
inline constexpr int kEncrypt = 2;
inline constexpr int kDecrypt = 4;
inline constexpr char kLocale[] = ";LANGID=0x0409;CP=1252;COUNTRY=0";
}  // namespace compact

// The name a file is compacted under before it replaces itself: its last character becomes
// "N" (shop.mdb gives shop.mdN).
std::string CompactTemporaryName(const std::string& name);

// With `nameGiven` false the person picks the source and the destination and is asked about
// encryption (a Yes asks for the new password); with true the named file is compacted into
// itself, decrypted. Reports in the status panel; a failure shows "Error N" with its
// description.
void CompactDB(Session& session, const std::string& name, int version, bool nameGiven);

// The compaction itself, with the busy pointer, the status text and the failure box:
// `options` is a version constant plus kEncrypt (the copy gets `password`), kDecrypt (the
// copy has none) or neither (the copy keeps the source's). A destination equal to the source
// is compacted through the temporary name; an existing other destination is replaced only
// once the copy is complete. Returns false after a failure.
bool CompactFiles(Session& session, const std::string& source, const std::string& destination,
                  int options, const std::string& password);

}  // namespace tessel
