// Stored text of a Jet/ACE file in UTF-8: the file's code page (Jet 3) or UCS-2 with the
// format's compression (Jet 4 and ACE), converted through libmdb's iconv conversion.
#pragma once

#include <string>
#include <string_view>

#include "core/db/drivers/jet/jet_file.h"

namespace tessel::db::jet {

std::string DecodeText(const JetFile& file, std::string_view stored);

}  // namespace tessel::db::jet
