// tessel-cli generate DATABASE [--type TYPE]: prints the script that Script > Generate would
// write for the database, through the same core.
#include <exception>
#include <filesystem>
#include <iostream>

#include "cli/command_arguments.h"
#include "cli/commands.h"
#include "cli/console_ui.h"
#include "core/generate/schema_script.h"
#include "core/session/connection_types.h"
#include "core/session/current_database.h"
#include "core/session/failures.h"
#include "core/session/standard_error.h"

namespace tessel::cli {

int GenerateCommand(const std::vector<std::string>& args) {
    CommandArguments parsed;
    if (std::string error = ParseCommandArguments(args, {"--type"}, "DATABASE", parsed);
        !error.empty()) {
        return CommandUsageError("generate", error);
    }
    if (parsed.help) {
        std::cout << UsageText();
        return 0;
    }
    // The name is meant from where the command was started.
    std::error_code code;
    const std::string database = std::filesystem::absolute(parsed.file, code).string();

    ConsoleUi ui(parsed.console, std::cout, std::cerr);
    Session session(ui);
    if (!StartConsoleSession(session))
        return ui.ExitStatus();

    if (const auto type = parsed.values.find("--type"); type != parsed.values.end()) {
        DBConn(session, type->second);
    }
    OpenDB(session, database, true);
    if (!session.state.current.databaseOpen || !session.state.current.currentDatabase) {
        std::cerr << "tessel-cli generate: " << database << " could not be opened\n";
        return 1;
    }
    std::string script;
    try {
        script = SchemaScript(*session.state.current.currentDatabase,
                              session.state.current.connectionType, UnknownTypeBox(session));
    } catch (const std::exception& error) {
        ShowStandardError(ui, AsEngineError(error));
    }
    // Nothing is printed once an error was shown: a partial script would pass for a whole one.
    const bool generated = !ui.FailureShown();
    if (generated)
        std::cout << script;
    CloseDB(session);
    std::cout.flush();
    return generated ? ui.ExitStatus() : 1;
}

}  // namespace tessel::cli
