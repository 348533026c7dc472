// tessel-cli run SCRIPT.sqv: runs a script through the same core as the program's
// Script > Execute, then closes as the program does.
#include <algorithm>
#include <exception>
#include <iostream>

#include "cli/command_arguments.h"
#include "cli/commands.h"
#include "cli/console_ui.h"
#include "cli/interrupt_watch.h"
#include "cli/script_input.h"
#include "core/script/recordset_file.h"
#include "core/script/script_runner.h"
#include "core/session/current_database.h"
#include "core/session/failures.h"
#include "core/session/standard_error.h"

namespace tessel::cli {

namespace {

constexpr const char* kKeepRecordsets = "--keep-recordsets";

}  // namespace

int RunCommand(const std::vector<std::string>& args) {
    std::vector<std::string> rest = args;
    const auto keep = std::remove(rest.begin(), rest.end(), kKeepRecordsets);
    const bool keepRecordsets = keep != rest.end();
    rest.erase(keep, rest.end());
    CommandArguments parsed;
    if (std::string error = ParseCommandArguments(rest, {{}, {}, "SCRIPT.sqv"}, parsed);
        !error.empty()) {
        return CommandUsageError("run", error);
    }
    if (parsed.help) {
        std::cout << UsageText();
        return 0;
    }
    std::string script;
    if (std::string error; !ReadScript(parsed.file, script, error)) {
        std::cerr << "tessel-cli run: " << error << '\n';
        return kUsageErrorStatus;
    }

    InterruptWatch interrupts;  // from here on a signal stops the run instead of ending it
    ConsoleUi ui(parsed.console, std::cout, std::cerr);
    Session session(ui);
    if (!StartConsoleSession(session))
        return ui.ExitStatus();

    // As Script > Execute: an empty script does nothing, a run numbers its recordsets from 1.
    if (!script.empty()) {
        session.state.recordsets.recordsetCount = 0;
        const auto keepGoing = [] { return !InterruptWatch::Requested(); };
        session.engine.SetProgressHook(keepGoing);
        try {
            RunScript(session, script, keepGoing);
        } catch (const std::exception& error) {
            ShowStandardError(ui, AsEngineError(error));
        }
        session.engine.SetProgressHook({});
    }

    // Closing, as the program does when its window closes.
    CloseDB(session);
    if (!keepRecordsets)
        CleanRecordsets(session);
    std::cout.flush();
    if (InterruptWatch::Requested()) {
        std::cerr << "tessel-cli run: interrupted; the statement that was running was cancelled "
                     "and the rest of the script was not run.\n";
        return kInterruptedStatus;
    }
    return ui.ExitStatus();
}

}  // namespace tessel::cli
