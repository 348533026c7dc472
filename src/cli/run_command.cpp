// tessel-cli run SCRIPT.sqv: runs a script through the same core as the program's
// Script > Execute, then closes as the program does.
#include <exception>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <system_error>

#include "cli/commands.h"
#include "cli/console_ui.h"
#include "core/engine/app_paths.h"
#include "core/engine/failures.h"
#include "core/engine/recordset_file.h"
#include "core/engine/script_runner.h"
#include "core/engine/standard_error.h"
#include "core/engine/startup.h"
#include "core/maintenance/database_ops.h"
#include "core/workspace/script_files.h"

namespace tessel::cli {

namespace {

constexpr int kUsageError = 2;

struct RunArguments {
    ConsoleOptions console;
    bool keepRecordsets = false;
    bool help = false;
    std::string script;
};

int UsageError(const std::string& message) {
    std::cerr << "tessel-cli run: " << message << "\n\n" << UsageText();
    return kUsageError;
}

// Returns an error message, or "" when the arguments are sound.
std::string ParseRunArguments(const std::vector<std::string>& args, RunArguments& parsed) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string error;
        if (ParseConsoleOption(args, i, parsed.console, error)) {
            if (!error.empty())
                return error;
        } else if (args[i] == "--keep-recordsets") {
            parsed.keepRecordsets = true;
        } else if (args[i] == "--help" || args[i] == "-h") {
            parsed.help = true;
        } else if (args[i].size() > 1 && args[i][0] == '-') {
            return "unknown option '" + args[i] + "'";
        } else if (parsed.script.empty()) {
            parsed.script = args[i];
        } else {
            return "only one script can be run at a time ('" + args[i] + "' is one too many)";
        }
    }
    if (!parsed.help && parsed.script.empty())
        return "which script? give SCRIPT.sqv";
    return "";
}

bool ReadScript(const std::string& path, std::string& text, std::string& error) {
    std::error_code code;
    if (std::filesystem::is_directory(path, code)) {
        error = "cannot read " + path + ": it is a directory";
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot read " + path + ": " + std::generic_category().message(errno);
        return false;
    }
    std::ostringstream bytes;
    bytes << in.rdbuf();
    text = DecodeScriptBytes(bytes.str());
    return true;
}

}  // namespace

int RunCommand(const std::vector<std::string>& args) {
    RunArguments parsed;
    if (std::string error = ParseRunArguments(args, parsed); !error.empty()) {
        return UsageError(error);
    }
    if (parsed.help) {
        std::cout << UsageText();
        return 0;
    }
    std::string script;
    if (std::string error; !ReadScript(parsed.script, script, error)) {
        std::cerr << "tessel-cli run: " << error << '\n';
        return kUsageError;
    }

    ConsoleUi ui(parsed.console, std::cout, std::cerr);
    Session session(ui);
    std::error_code code;
    const std::filesystem::path startDirectory = std::filesystem::current_path(code);
    try {
        const std::string appPath = ResolveAppPath();
        PrepareAppDirectory(appPath);
        InitializeSession(session, appPath);
    } catch (const std::exception& failure) {
        ShowStandardError(ui, AsEngineError(failure));
        return ui.ExitStatus();
    }
    // The program works in its application directory; names in a script given on the command
    // line are meant from where the command was started.
    if (!startDirectory.empty())
        std::filesystem::current_path(startDirectory, code);

    ui.SetEditorText(script);
    ScriptExecute(session);

    // Closing, as the program does when its window closes.
    CloseDB(session);
    if (!parsed.keepRecordsets)
        CleanRecordsets(session);
    std::cout.flush();
    return ui.ExitStatus();
}

}  // namespace tessel::cli
