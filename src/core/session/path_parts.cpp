// The small path and size helpers of the database operations, and the dialogs' start directory.
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "core/session/app_paths.h"
#include "core/session/current_database.h"

namespace tessel {

std::string PathPart(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::string FilePart(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

long NonNegative(long n) {
    return n < 1 ? 0 : n;
}

namespace {

bool IsDirectory(const std::string& path) {
    std::error_code ignored;
    return !path.empty() && std::filesystem::is_directory(path, ignored);
}

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value == nullptr ? std::string() : std::string(value);
}

// The documents entry of the user's user-dirs.dirs: XDG_DOCUMENTS_DIR="$HOME/Documents".
std::string DocumentsFromUserDirs(const std::string& home) {
    std::string config = Environment("XDG_CONFIG_HOME");
    if (config.empty())
        config = home + "/.config";
    std::ifstream in(config + "/user-dirs.dirs");
    const std::string key = "XDG_DOCUMENTS_DIR=";
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind(key, 0) != 0)
            continue;
        std::string value = line.substr(key.size());
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
            value = value.substr(1, value.size() - 2);
        }
        if (value.rfind("$HOME", 0) == 0)
            value = home + value.substr(5);
        return value;
    }
    return "";
}

}  // namespace

std::string DocumentsDirectory() {
    const std::string home = HomeDirectory();
    std::string documents = Environment("XDG_DOCUMENTS_DIR");
    if (IsDirectory(documents))
        return documents;
    documents = DocumentsFromUserDirs(home);
    if (IsDirectory(documents))
        return documents;
    return home;
}

}  // namespace tessel
