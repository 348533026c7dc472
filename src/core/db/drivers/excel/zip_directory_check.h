// A check of a zipped workbook's directory before the zipped-format library reads it: the
// library allocates what each part claims to unpack to, so a damaged claim of gigabytes would
// be allocated at once. A claim that compression cannot produce is refused.
#pragma once

#include <string>

namespace tessel::db::excel {

// Throws EngineError err::kUnreadableDatabase naming the file and the part when a part of the
// zip file's directory claims to unpack to more than its packed bytes can hold (deflate packs
// at most about 1,032 to 1; a stored part unpacks to exactly its size).
void CheckZipDirectory(const std::string& path);

}  // namespace tessel::db::excel
