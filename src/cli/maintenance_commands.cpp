// tessel-cli compact SRC DST [--version 2.0|3.0] [--encrypt|--decrypt] and tessel-cli repair
// FILE: Tools > Compact and Tools > Repair without their dialogs. Passwords come as `run` takes
// them; the status texts (progress and result) go to standard error.
#include <filesystem>
#include <iostream>
#include <optional>

#include "cli/command_arguments.h"
#include "cli/commands.h"
#include "cli/console_ui.h"
#include "core/maintenance/compact_db.h"
#include "core/maintenance/repair_db.h"
#include "core/session/current_database.h"

namespace tessel::cli {
namespace {

struct MaintenanceArguments {
    ConsoleOptions console;
    std::vector<std::string> files;
    int version = compact::kVersion30;
    int encryption = 0;  // keep the source's protection
    bool help = false;
};

// Returns an error message, or "" when the arguments are sound.
std::string ParseMaintenanceArguments(const std::vector<std::string>& args, bool compacting,
                                      MaintenanceArguments& parsed) {
    CommandSyntax syntax{{}, {}, "FILE", 1};
    if (compacting)
        syntax = {{"--version"},
                  {"--encrypt", "--decrypt"},
                  "the source and the destination: SRC DST",
                  2};
    CommandArguments given;
    if (std::string error = ParseCommandArguments(args, syntax, given); !error.empty())
        return error;
    parsed.console = given.console;
    parsed.files = given.files;
    parsed.help = given.help;
    if (const auto version = given.values.find("--version"); version != given.values.end()) {
        if (version->second == "2.0") {
            parsed.version = compact::kVersion20;
        } else if (version->second == "3.0") {
            parsed.version = compact::kVersion30;
        } else {
            return "--version takes 2.0 or 3.0, not '" + version->second + "'";
        }
    }
    if (given.flags.count("--encrypt") && given.flags.count("--decrypt"))
        return "--encrypt and --decrypt exclude each other";
    if (given.flags.count("--encrypt"))
        parsed.encryption = compact::kEncrypt;
    if (given.flags.count("--decrypt"))
        parsed.encryption = compact::kDecrypt;
    return "";
}

// The usage error status, 0 after the help text, or nothing when the command goes on.
std::optional<int> ParseOrStop(const std::vector<std::string>& args, bool compacting,
                               MaintenanceArguments& parsed) {
    if (std::string error = ParseMaintenanceArguments(args, compacting, parsed); !error.empty())
        return CommandUsageError(compacting ? "compact" : "repair", error);
    if (parsed.help) {
        std::cout << UsageText();
        return 0;
    }
    return std::nullopt;
}

// Names on the command line are meant from where the command was started.
std::string Absolute(const std::string& name) {
    std::error_code code;
    return std::filesystem::absolute(name, code).string();
}

}  // namespace

int CompactCommand(const std::vector<std::string>& args) {
    MaintenanceArguments parsed;
    if (const auto stop = ParseOrStop(args, true, parsed))
        return *stop;
    const std::string source = Absolute(parsed.files[0]);
    const std::string destination = Absolute(parsed.files[1]);
    ConsoleUi ui(parsed.console, std::cout, std::cerr);
    Session session(ui);
    if (!StartConsoleSession(session))
        return ui.ExitStatus();
    // Opening the source first asks for its password where it has one, as `run` would.
    ui.SetStatusText("Compacting " + FilePart(source) + " into " + FilePart(destination));
    OpenDB(session, source, true);
    if (!session.state.current.databaseOpen)
        return 1;
    CloseDB(session);
    std::string password;
    if (parsed.encryption == compact::kEncrypt) {
        password = ui.AskPassword();
        if (password.empty()) {
            std::cerr << "tessel-cli compact: --encrypt needs the new password: give it with "
                         "--password-file FILE or in TESSEL_PASSWORD\n";
            return 1;
        }
    }
    CompactFiles(session, source, destination, parsed.version + parsed.encryption, password);
    return ui.ExitStatus();
}

int RepairCommand(const std::vector<std::string>& args) {
    MaintenanceArguments parsed;
    if (const auto stop = ParseOrStop(args, false, parsed))
        return *stop;
    ConsoleUi ui(parsed.console, std::cout, std::cerr);
    Session session(ui);
    if (!StartConsoleSession(session))
        return ui.ExitStatus();
    const std::string file = Absolute(parsed.files[0]);
    ui.SetStatusText("Repairing " + FilePart(file));
    RepairDB(session, file, true);
    return ui.ExitStatus();
}

}  // namespace tessel::cli
