#include "cli/command_arguments.h"

#include <algorithm>
#include <iostream>

#include "cli/commands.h"

namespace tessel::cli {

std::string ParseCommandArguments(const std::vector<std::string>& args,
                                  const std::vector<std::string>& valueOptions,
                                  const std::string& fileRole, CommandArguments& parsed) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        std::string error;
        if (ParseConsoleOption(args, i, parsed.console, error)) {
            if (!error.empty())
                return error;
        } else if (std::find(valueOptions.begin(), valueOptions.end(), arg) != valueOptions.end()) {
            if (i + 1 >= args.size())
                return arg + " needs a value";
            parsed.values[arg] = args[++i];
        } else if (arg == "--help" || arg == "-h") {
            parsed.help = true;
        } else if (arg.size() > 1 && arg[0] == '-') {
            return "unknown option '" + arg + "'";
        } else if (parsed.file.empty()) {
            parsed.file = arg;
        } else {
            return "only one " + fileRole + " at a time ('" + arg + "' is one too many)";
        }
    }
    PasswordFromEnvironmentUnlessGiven(parsed.console);
    if (!parsed.help && parsed.file.empty())
        return "which " + fileRole + "? give one";
    return "";
}

int CommandUsageError(const std::string& command, const std::string& message) {
    std::cerr << "tessel-cli " << command << ": " << message << "\n\n" << UsageText();
    return kUsageErrorStatus;
}

}  // namespace tessel::cli
