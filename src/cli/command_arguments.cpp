#include "cli/command_arguments.h"

#include <algorithm>
#include <iostream>

#include "cli/commands.h"

namespace tessel::cli {

std::string ParseCommandArguments(const std::vector<std::string>& args, const CommandSyntax& syntax,
                                  CommandArguments& parsed) {
    const auto among = [](const std::vector<std::string>& options, const std::string& arg) {
        return std::find(options.begin(), options.end(), arg) != options.end();
    };
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        std::string error;
        if (ParseConsoleOption(args, i, parsed.console, error)) {
            if (!error.empty())
                return error;
        } else if (among(syntax.valueOptions, arg)) {
            if (i + 1 >= args.size())
                return arg + " needs a value";
            parsed.values[arg] = args[++i];
            parsed.repeated[arg].push_back(args[i]);
        } else if (among(syntax.flagOptions, arg)) {
            parsed.flags.insert(arg);
        } else if (arg == "--help" || arg == "-h") {
            parsed.help = true;
        } else if (arg.size() > 1 && arg[0] == '-') {
            return "unknown option '" + arg + "'";
        } else if (parsed.files.size() < syntax.fileCount) {
            parsed.files.push_back(arg);
        } else if (syntax.fileCount == 1) {
            return "only one " + syntax.fileRole + " at a time ('" + arg + "' is one too many)";
        } else {
            return "give " + syntax.fileRole + " ('" + arg + "' is one too many)";
        }
    }
    PasswordFromEnvironmentUnlessGiven(parsed.console);
    if (!parsed.files.empty())
        parsed.file = parsed.files.front();
    if (!parsed.help && parsed.files.size() < syntax.fileCount) {
        return syntax.fileCount == 1 ? "which " + syntax.fileRole + "? give one"
                                     : "give " + syntax.fileRole;
    }
    return "";
}

int CommandUsageError(const std::string& command, const std::string& message) {
    std::cerr << "tessel-cli " << command << ": " << message << "\n\n" << UsageText();
    return kUsageErrorStatus;
}

}  // namespace tessel::cli
