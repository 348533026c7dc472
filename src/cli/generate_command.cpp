// tessel-cli generate DATABASE [--type TYPE | --connect TEXT]: prints the script that
// Script > Generate would write for the database, through the same core. With the connection
// type text "ODBC;" the argument is a data source name, connected as dbOpen connects it.
#include <exception>
#include <filesystem>
#include <iostream>

#include "cli/command_arguments.h"
#include "cli/commands.h"
#include "cli/console_ui.h"
#include "core/db/connection_types.h"
#include "core/generate/schema_script.h"
#include "core/script/odbc_data_sources.h"
#include "core/session/connection_types.h"
#include "core/session/current_database.h"
#include "core/session/failures.h"
#include "core/session/standard_error.h"

namespace tessel::cli {

int GenerateCommand(const std::vector<std::string>& args) {
    CommandArguments parsed;
    if (std::string error =
            ParseCommandArguments(args, {{"--type", "--connect"}, {}, "DATABASE"}, parsed);
        !error.empty()) {
        return CommandUsageError("generate", error);
    }
    if (parsed.help) {
        std::cout << UsageText();
        return 0;
    }
    int connectRow = -1;
    if (const auto connect = parsed.values.find("--connect"); connect != parsed.values.end()) {
        connectRow = db::RowOfTypeText(connect->second);
        // "Access" names four rows; the default one is meant.
        if (connectRow >= 0 && db::ConnectionTypeAt(connectRow).family == db::Family::Access)
            connectRow = db::kAccessDefaultRow;
        if (connectRow < 0) {
            return CommandUsageError("generate",
                                     "--connect takes a connection type text such as "
                                     "\"ODBC;\" or \"Dbase IV;\", not \"" +
                                         connect->second + "\"");
        }
    }
    const bool dataSource =
        connectRow >= 0 && db::ConnectionTypeAt(connectRow).family == db::Family::Odbc;
    // A file name is meant from where the command was started; a data source name as given.
    std::error_code code;
    const std::string database =
        dataSource ? parsed.file : std::filesystem::absolute(parsed.file, code).string();

    ConsoleUi ui(parsed.console, std::cout, std::cerr);
    Session session(ui);
    if (!StartConsoleSession(session))
        return ui.ExitStatus();

    if (const auto type = parsed.values.find("--type"); type != parsed.values.end()) {
        DBConn(session, type->second);
    }
    if (connectRow >= 0) {
        ConnectTypeText(session, connectRow);
        session.state.current.versionIndex = connectRow;
    }
    if (dataSource) {
        ConnectODBC(session, database);
    } else {
        OpenDB(session, database, true);
    }
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
