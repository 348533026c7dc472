// Reading the script that a sub-command was given, as the program's File > Open decodes it.
#pragma once

#include <string>

namespace tessel::cli {

// The decoded text of the script file at `path`; false with a sentence naming the file and
// the cause in `error` when it cannot be read.
bool ReadScript(const std::string& path, std::string& text, std::string& error);

}  // namespace tessel::cli
