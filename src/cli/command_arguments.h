// Arguments of the console program's generate and export commands: the console options, one
// file name, and the command's own options that take a value.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "cli/console_ui.h"

namespace tessel::cli {

struct CommandArguments {
    ConsoleOptions console;
    std::string file;
    std::map<std::string, std::string> values;  // option -> its value
    bool help = false;
};

// Returns an error message, or "" when the arguments are sound. `valueOptions` are the
// command's options that take a value; `fileRole` names the file in the message when it is
// missing ("DATABASE").
std::string ParseCommandArguments(const std::vector<std::string>& args,
                                  const std::vector<std::string>& valueOptions,
                                  const std::string& fileRole, CommandArguments& parsed);

// Prints the message and the usage text to standard error; returns the usage error status.
int CommandUsageError(const std::string& command, const std::string& message);

inline constexpr int kUsageErrorStatus = 2;

}  // namespace tessel::cli
