#include "core/base/file_names.h"

#include <filesystem>

namespace tessel::base {

std::string DirectoryOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

std::string FileNameOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string AbsolutePath(const std::string& path) {
    if (path.empty() || path.front() == '/')
        return path;
    std::error_code code;
    const auto directory = std::filesystem::current_path(code);
    // Without a working directory (it was removed) the name is left as written.
    return code ? path : (directory / path).string();
}

}  // namespace tessel::base
