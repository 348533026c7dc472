// tessel-cli export SCRIPT.sqv [-o FILE]: converts a script to ANSI SQL as Script > Export
// does, and writes it to FILE, or to standard output, with the same bytes the file would get.
#include <iostream>

#include "cli/command_arguments.h"
#include "cli/commands.h"
#include "cli/console_ui.h"
#include "core/files/script_files.h"
#include "core/generate/ansi_export.h"

namespace tessel::cli {

int ExportCommand(const std::vector<std::string>& args) {
    CommandArguments parsed;
    if (std::string error = ParseCommandArguments(args, {"-o", "--output"}, "SCRIPT", parsed);
        !error.empty()) {
        return CommandUsageError("export", error);
    }
    if (parsed.help) {
        std::cout << UsageText();
        return 0;
    }
    std::string output;
    if (const auto o = parsed.values.find("-o"); o != parsed.values.end())
        output = o->second;
    if (const auto o = parsed.values.find("--output"); o != parsed.values.end())
        output = o->second;

    ConsoleUi ui(parsed.console, std::cout, std::cerr);
    Session session(ui);
    FillTypeLists(session.state);
    if (!LoadScriptFile(session, parsed.file))
        return 1;
    if (!ConvertSQL(session))
        return 1;
    session.state.exportMode = true;
    if (output.empty()) {
        std::cout << session.state.exportText << "\r\n";
        std::cout.flush();
        return ui.ExitStatus();
    }
    return WriteScriptFile(session, output) ? ui.ExitStatus() : 1;
}

}  // namespace tessel::cli
