// tessel-cli run SCRIPT.sqv: runs a script through the same core as the program's
// Script > Execute, then closes as the program does.
#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <system_error>

#include "cli/command_arguments.h"
#include "cli/commands.h"
#include "cli/console_ui.h"
#include "core/files/script_files.h"
#include "core/script/recordset_file.h"
#include "core/script/script_runner.h"
#include "core/session/current_database.h"

namespace tessel::cli {

namespace {

constexpr const char* kKeepRecordsets = "--keep-recordsets";

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
    std::vector<std::string> rest = args;
    const auto keep = std::remove(rest.begin(), rest.end(), kKeepRecordsets);
    const bool keepRecordsets = keep != rest.end();
    rest.erase(keep, rest.end());
    CommandArguments parsed;
    if (std::string error = ParseCommandArguments(rest, {}, "SCRIPT.sqv", parsed); !error.empty()) {
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

    ConsoleUi ui(parsed.console, std::cout, std::cerr);
    Session session(ui);
    if (!StartConsoleSession(session))
        return ui.ExitStatus();

    ui.SetEditorText(script);
    ScriptExecute(session);

    // Closing, as the program does when its window closes.
    CloseDB(session);
    if (!keepRecordsets)
        CleanRecordsets(session);
    std::cout.flush();
    return ui.ExitStatus();
}

}  // namespace tessel::cli
