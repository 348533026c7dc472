// Arguments of the console program's commands: the console options, the file names, and the
// command's own options.
#pragma once

#include <cstddef>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "cli/console_ui.h"

namespace tessel::cli {

struct CommandArguments {
    ConsoleOptions console;
    std::string file;                                          // the first file named
    std::vector<std::string> files;                            // every file named, in order
    std::map<std::string, std::string> values;                 // option -> its last value
    std::map<std::string, std::vector<std::string>> repeated;  // option -> every value given
    std::set<std::string> flags;                               // options given that take none
    bool help = false;
};

struct CommandSyntax {
    std::vector<std::string> valueOptions;  // the command's options that take a value
    std::vector<std::string> flagOptions;   // and those that stand alone
    // Names the files in messages: "DATABASE" for one; for more, what to give, as in
    // "the source and the destination: SRC DST".
    std::string fileRole;
    std::size_t fileCount = 1;
};

// Returns an error message, or "" when the arguments are sound.
std::string ParseCommandArguments(const std::vector<std::string>& args, const CommandSyntax& syntax,
                                  CommandArguments& parsed);

// Prints the message and the usage text to standard error; returns the usage error status.
int CommandUsageError(const std::string& command, const std::string& message);

inline constexpr int kUsageErrorStatus = 2;

}  // namespace tessel::cli
