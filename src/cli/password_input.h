// Where the console program takes a database password from. Never the command line: other
// users can read it there in the process list.
#pragma once

#include <optional>
#include <ostream>
#include <string>

namespace tessel::cli {

inline constexpr const char* kPasswordVariable = "TESSEL_PASSWORD";

// The first line of the file at `path`, without its line break; false with a sentence naming
// the file and the cause in `error` when it cannot be read.
bool ReadPasswordFile(const std::string& path, std::string& password, std::string& error);

// The value of TESSEL_PASSWORD, when it is set.
std::optional<std::string> PasswordFromEnvironment();

// When `fd` is a terminal: writes `prompt` to `shown`, reads one line from `fd` with echo off
// and gives it without its line break. Nothing when `fd` is not a terminal or ends first.
std::optional<std::string> ReadPasswordFromTerminal(int fd, const std::string& prompt,
                                                    std::ostream& shown);

}  // namespace tessel::cli
