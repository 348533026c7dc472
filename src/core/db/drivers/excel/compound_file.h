// The one stream of a classic workbook file: the "Workbook" (or older "Book") stream of its
// compound-file container, or the whole file when it is a bare BIFF stream (the formats before
// the container). Only read, with every sector chain checked against the file, so that a
// damaged file gives an error and never a read outside it or an endless chain.
#pragma once

#include <string>

namespace tessel::db::excel {

inline constexpr char kCompoundSignature[] = "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1";

// The workbook stream of the bytes of a file. Throws EngineError (err::kUnreadableDatabase)
// naming `path` and the fault.
// The error for a workbook encrypted with a password (err::kCannotOpenFile, naming `path`).
[[noreturn]] void ThrowEncrypted(const std::string& path);

std::string WorkbookStream(const std::string& bytes, const std::string& path);

}  // namespace tessel::db::excel
