// tessel-cli replicate MASTER REPLICA [--keep-local TABLE]... and
// tessel-cli sync FIRST SECOND [--direction send|receive|both]: the Tools menu's design master,
// replica and synchronisation commands through the same core, with the files of their dialogs
// given on the command line.
#include <deque>
#include <filesystem>
#include <iostream>

#include "cli/command_arguments.h"
#include "cli/commands.h"
#include "cli/console_ui.h"
#include "core/db/names.h"
#include "core/db/replication.h"
#include "core/maintenance/design_master.h"
#include "core/maintenance/synch_dm.h"
#include "core/session/current_database.h"
#include "core/session/failures.h"
#include "core/session/standard_error.h"

namespace tessel::cli {
namespace {

// The console, with the answers of the tools' own dialogs.
class ToolUi : public ConsoleUi {
  public:
    using ConsoleUi::ConsoleUi;

    std::optional<std::string> ChooseFile(const FileDialogRequest& request) override {
        if (files.empty())
            return ConsoleUi::ChooseFile(request);
        std::string file = files.front();
        files.pop_front();
        return file;
    }
    void ChooseTablesKeptLocal(
        const std::vector<std::string>& /*tables*/,
        const std::function<bool(const std::vector<std::string>&)>& keep) override {
        keep(keepLocal);  // a refusal has shown its box; the console cannot ask again
    }
    int AskSynchronisationDirection(const std::string&, const std::string&) override {
        return direction;
    }

    std::deque<std::string> files;
    std::vector<std::string> keepLocal;
    int direction = db::exchange::kBoth;
};

struct ToolArguments {
    ConsoleOptions console;
    std::vector<std::string> files;
    std::vector<std::string> keepLocal;
    std::string direction = "both";
    bool help = false;
};

std::string Parse(const std::vector<std::string>& args, bool sync, ToolArguments& parsed) {
    const CommandSyntax syntax =
        sync ? CommandSyntax{{"--direction"}, {}, "two files: FIRST SECOND", 2}
             : CommandSyntax{{"--keep-local"}, {}, "two files: MASTER REPLICA", 2};
    CommandArguments given;
    if (std::string error = ParseCommandArguments(args, syntax, given); !error.empty())
        return error;
    parsed.console = given.console;
    parsed.files = given.files;
    parsed.help = given.help;
    if (const auto direction = given.values.find("--direction"); direction != given.values.end())
        parsed.direction = direction->second;
    parsed.keepLocal = given.repeated["--keep-local"];
    return "";
}

std::string Absolute(const std::string& file) {
    std::error_code code;
    return std::filesystem::absolute(file, code).string();
}

// True when the file's "Replicable" property is "T"; asks nothing.
bool IsDesignMaster(Session& session, const std::string& file, const std::string& connect) {
    try {
        auto database = session.engine.OpenDatabase(file, false, true, connect);
        for (const auto& property : database->Properties()) {
            if (db::SameName(property.name, kReplicableProperty))
                return db::ValueToText(property.value) == "T";
        }
    } catch (const std::exception&) {
        // The tools themselves report what is wrong with the file.
    }
    return false;
}

// Closing, as the program does when its window closes.
int CloseAndStatus(Session& session, ToolUi& ui) {
    CloseDB(session);
    return ui.ExitStatus();
}

}  // namespace

int ReplicateCommand(const std::vector<std::string>& args) {
    ToolArguments parsed;
    if (std::string error = Parse(args, false, parsed); !error.empty())
        return CommandUsageError("replicate", error);
    if (parsed.help) {
        std::cout << UsageText();
        return 0;
    }
    const std::string master = Absolute(parsed.files[0]);
    const std::string replica = Absolute(parsed.files[1]);
    ToolUi ui(parsed.console, std::cout, std::cerr);
    Session session(ui);
    if (!StartConsoleSession(session))
        return ui.ExitStatus();
    ui.keepLocal = parsed.keepLocal;
    const std::string connect =
        parsed.console.password ? ";pwd=" + *parsed.console.password : std::string();
    if (!IsDesignMaster(session, master, connect)) {
        ui.files = {master};
        MakeDM(session);
        if (ui.FailureShown() || !IsDesignMaster(session, master, connect))
            return CloseAndStatus(session, ui);
    } else if (!parsed.keepLocal.empty()) {
        // An existing design master: the tables named now are kept local from now on.
        try {
            auto database = session.engine.OpenDatabase(master, false, false, connect);
            for (const auto& table : parsed.keepLocal) {
                db::CreateTableProperty(*database, table, kKeepLocalProperty, db::ftype::kText,
                                        std::string("T"));
            }
        } catch (const std::exception& error) {
            ShowStandardError(ui, AsEngineError(error));
            return CloseAndStatus(session, ui);
        }
    }
    ui.files = {master, replica};
    ReplicateDM(session);
    return CloseAndStatus(session, ui);
}

int SyncCommand(const std::vector<std::string>& args) {
    ToolArguments parsed;
    if (std::string error = Parse(args, true, parsed); !error.empty())
        return CommandUsageError("sync", error);
    if (parsed.help) {
        std::cout << UsageText();
        return 0;
    }
    int direction = 0;
    if (parsed.direction == "send")
        direction = db::exchange::kSend;
    else if (parsed.direction == "receive")
        direction = db::exchange::kReceive;
    else if (parsed.direction == "both")
        direction = db::exchange::kBoth;
    else
        return CommandUsageError(
            "sync", "--direction is send, receive or both, not \"" + parsed.direction + "\"");
    ToolUi ui(parsed.console, std::cout, std::cerr);
    Session session(ui);
    if (!StartConsoleSession(session))
        return ui.ExitStatus();
    ui.files = {Absolute(parsed.files[0]), Absolute(parsed.files[1])};
    ui.direction = direction;
    SynchDM(session);
    return CloseAndStatus(session, ui);
}

}  // namespace tessel::cli
