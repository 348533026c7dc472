// tessel-cli export SCRIPT.sqv [-o FILE]: converts a script to ANSI SQL as Script > Export
// does, and writes it to FILE, or to standard output, with the same bytes the file would get.
#include <exception>
#include <iostream>

#include "cli/command_arguments.h"
#include "cli/commands.h"
#include "cli/console_ui.h"
#include "cli/script_input.h"
#include "core/files/script_files.h"
#include "core/generate/ansi_export.h"
#include "core/session/failures.h"
#include "core/session/standard_error.h"

namespace tessel::cli {

int ExportCommand(const std::vector<std::string>& args) {
    CommandArguments parsed;
    if (std::string error = ParseCommandArguments(args, {{"-o", "--output"}, {}, "SCRIPT"}, parsed);
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
    FillTypeLists(session.state.types);
    std::string script;
    if (std::string error; !ReadScript(parsed.file, script, error)) {
        // The box File > Open shows for a file it cannot read.
        ui.MessageBox("Can't open file: " + parsed.file, msgbox::kOkOnly, kAppTitle);
        return 1;
    }
    try {
        session.state.ansiExport.exportText =
            AnsiScript(script, session.state.types, UnknownTypeBox(session));
    } catch (const std::exception& error) {
        ShowStandardError(ui, AsEngineError(error));
        return 1;
    }
    session.state.ansiExport.exportMode = true;
    if (output.empty()) {
        std::cout << session.state.ansiExport.exportText << "\r\n";
        std::cout.flush();
        return ui.ExitStatus();
    }
    return WriteScriptFile(session, output) ? ui.ExitStatus() : 1;
}

}  // namespace tessel::cli
