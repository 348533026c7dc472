#include "core/session/app_paths.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

#include "core/base/atomic_file.h"
#include "core/session/failures.h"

namespace tessel {

namespace fs = std::filesystem;

namespace {

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value == nullptr ? std::string() : std::string(value);
}

constexpr const char* kSeedFiles[] = {"template.sqv", "tipofday.txt"};

// Copies a seed file through the atomic writer, so that an interrupted start never leaves a
// half-written file that later starts would take as present, and no link is followed.
void CopySeed(const fs::path& from, const fs::path& to) {
    std::ifstream in(from, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    if (!in || in.bad()) {
        throw FileSystemError("read the start file", from.string(),
                              std::make_error_code(std::errc::io_error));
    }
    try {
        base::WriteFileAtomically(to.string(), bytes.str());
    } catch (const base::FileWriteError& error) {
        throw FileSystemError("copy the start file to", to.string(),
                              std::error_code(error.SystemError(), std::generic_category()));
    }
}

bool IsDirectory(const fs::path& path) {
    std::error_code code;
    return fs::is_directory(path, code);
}

}  // namespace

std::string HomeDirectory() {
    std::string home = Environment("HOME");
    if (!home.empty())
        return home;
    if (const passwd* entry = getpwuid(getuid()); entry != nullptr && entry->pw_dir != nullptr) {
        return entry->pw_dir;
    }
    return "/";
}

std::string ResolveAppPath() {
    std::string home = Environment("TESSEL_HOME");
    if (!home.empty())
        return home;
    // XDG base directories must be absolute; relative values are ignored.
    const std::string dataHome = Environment("XDG_DATA_HOME");
    if (!dataHome.empty() && dataHome.front() == '/')
        return dataHome + "/Tessel";
    return HomeDirectory() + "/.local/share/Tessel";
}

std::string DataDirectory() {
    const std::string overridden = Environment("TESSEL_DATA_DIR");
    if (!overridden.empty())
        return overridden;
    std::error_code code;
    const fs::path executable = fs::read_symlink("/proc/self/exe", code);
    return DataDirectoryFor(code ? std::string() : executable.string());
}

std::string DataDirectoryFor(const std::string& executable) {
    // The installed place comes first, so that an installed copy never reads the files of a
    // source tree that happens to exist on the same machine.
    if (!executable.empty()) {
        const fs::path beside =
            (fs::path(executable).parent_path() / TESSEL_BIN_TO_DATA_DIR).lexically_normal();
        if (IsDirectory(beside))
            return beside.string();
    }
    if (IsDirectory(TESSEL_DATA_DIR))
        return TESSEL_DATA_DIR;
    return TESSEL_INSTALL_DATA_DIR;
}

void PrepareAppDirectory(const std::string& appPath) {
    std::error_code code;
    fs::create_directories(appPath, code);
    if (code)
        throw FileSystemError("create the application directory", appPath, code);
    EnsureDirectory(appPath + "/export");
    EnsureDirectory(appPath + "/scripts");
    const fs::path data = DataDirectory();
    for (const char* seed : kSeedFiles) {
        const fs::path target = fs::path(appPath) / seed;
        if (fs::exists(fs::symlink_status(target, code)))
            continue;
        // A data directory without the file leaves the start to report it when it is read.
        if (!fs::is_regular_file(data / seed, code))
            continue;
        CopySeed(data / seed, target);
    }
}

}  // namespace tessel
