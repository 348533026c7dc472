#include "cli/script_input.h"

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

#include "core/files/script_files.h"

namespace tessel::cli {

bool ReadScript(const std::string& path, std::string& text, std::string& error) {
    std::error_code code;
    if (std::filesystem::is_directory(path, code)) {
        error = "cannot read " + path + ": it is a directory";
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot read " + path + ": " + std::generic_category().message(errno);
        return false;
    }
    std::ostringstream bytes;
    bytes << in.rdbuf();
    text = DecodeScriptBytes(bytes.str());
    return true;
}

}  // namespace tessel::cli
