#include "core/session/failures.h"

#include <filesystem>

#include "core/db/system_error.h"
#include "core/session/standard_error.h"

namespace tessel {

db::EngineError AsEngineError(const std::exception& error) {
    if (const auto* engineError = dynamic_cast<const db::EngineError*>(&error)) {
        return *engineError;
    }
    return ProgramError(db::err::kReserved, error.what());
}

db::EngineError FileSystemError(const std::string& action, const std::string& path,
                                const std::error_code& code) {
    const long number =
        code.category() == std::generic_category() || code.category() == std::system_category()
            ? db::SystemErrorNumber(code.value(), db::err::kPathNotFound)
            : db::err::kPathNotFound;
    return ProgramError(number, "Cannot " + action + " " + path + ": " + code.message() + ".");
}

void EnsureDirectory(const std::string& path) {
    namespace fs = std::filesystem;
    std::error_code code;
    if (fs::is_directory(path, code))
        return;
    if (fs::exists(fs::symlink_status(path, code))) {
        throw FileSystemError("create the directory", path,
                              std::make_error_code(std::errc::file_exists));
    }
    fs::create_directory(path, code);
    if (code)
        throw FileSystemError("create the directory", path, code);
}

}  // namespace tessel
