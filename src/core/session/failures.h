// Failures of every kind as engine errors, so that each caller reports them in the standard
// error box with a number it can branch on and a sentence that names the cause.
#pragma once

#include <exception>
#include <string>
#include <system_error>

#include "core/db/errors.h"

namespace tessel {

// The error itself when it is an EngineError; anything else becomes a general failure with the
// program as its source.
db::EngineError AsEngineError(const std::exception& error);

// "Cannot <action> <path>: <cause>." with 76 for a missing path, 70 for a refused one.
db::EngineError FileSystemError(const std::string& action, const std::string& path,
                                const std::error_code& code);

// Creates the directory when it is missing (one level: its parent must exist). Throws
// EngineError naming the directory when it cannot be made or a file of that name is in the way.
void EnsureDirectory(const std::string& path);

}  // namespace tessel
