#include "cli/console_ui.h"

#include <unistd.h>

#include <exception>
#include <filesystem>
#include <ostream>
#include <system_error>

#include "cli/password_input.h"
#include "core/db/errors.h"
#include "core/session/app_paths.h"
#include "core/session/failures.h"
#include "core/session/standard_error.h"
#include "core/session/startup.h"

namespace tessel::cli {

namespace {

const char* AnswerName(int answer) {
    switch (answer) {
        case msgbox::kOk:
            return "OK";
        case msgbox::kCancel:
            return "Cancel";
        case msgbox::kAbort:
            return "Abort";
        case msgbox::kRetry:
            return "Retry";
        case msgbox::kIgnore:
            return "Ignore";
        case msgbox::kYes:
            return "Yes";
        case msgbox::kNo:
            return "No";
    }
    return "?";
}

// Box texts use CR LF; a terminal wants LF, and trailing line breaks only add blank lines.
std::string ConsoleText(const std::string& text) {
    std::string shown;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            continue;
        shown += text[i];
    }
    while (!shown.empty() && (shown.back() == '\n' || shown.back() == '\r'))
        shown.pop_back();
    return shown;
}

}  // namespace

bool ParseConsoleOption(const std::vector<std::string>& args, std::size_t& index,
                        ConsoleOptions& options, std::string& error) {
    const std::string& arg = args[index];
    if (arg == "--yes") {
        options.questionAnswer = msgbox::kYes;
    } else if (arg == "--no") {
        options.questionAnswer = msgbox::kNo;
    } else if (arg == "--csv") {
        options.csv = true;
    } else if (arg == "--no-rows") {
        options.printRows = false;
    } else if (arg == "--password" || arg.rfind("--password=", 0) == 0) {
        error =
            "--password is not accepted: other users can read a password on the command "
            "line; give it with --password-file FILE or in the environment variable " +
            std::string(kPasswordVariable);
    } else if (arg == "--password-file") {
        std::string password;
        if (index + 1 >= args.size()) {
            error = "--password-file needs a value";
        } else if (ReadPasswordFile(args[++index], password, error)) {
            options.password = password;
            options.passwordOrigin = "--password-file";
        }
    } else {
        return false;
    }
    return true;
}

void PasswordFromEnvironmentUnlessGiven(ConsoleOptions& options) {
    if (options.password)
        return;
    options.password = PasswordFromEnvironment();
    if (options.password)
        options.passwordOrigin = kPasswordVariable;
}

std::string ConsoleOptionsHelp() {
    return "  --password-file FILE\n"
           "                      answer the database password prompts with the first line of\n"
           "                      FILE; else $TESSEL_PASSWORD; else a terminal on standard input\n"
           "                      is asked (without echo). The password is never an argument.\n"
           "  --yes, --no         answer every Yes/No question; without them questions get\n"
           "                      No (or Cancel where offered) and file dialogs are cancelled\n"
           "  --csv               print recordsets as CSV instead of aligned tables\n"
           "  --no-rows           do not print the captured recordsets\n";
}

ConsoleUi::ConsoleUi(ConsoleOptions options, std::ostream& out, std::ostream& err)
    : options_(std::move(options)), out_(out), err_(err), recordsets_(options_.csv, out) {}

int ConsoleUi::AnswerFor(int style) const {
    switch (style & msgbox::kButtonMask) {
        case msgbox::kOkOnly:
            return msgbox::kOk;
        case msgbox::kYesNo:
            return options_.questionAnswer.value_or(msgbox::kNo);
        case msgbox::kYesNoCancel:
            return options_.questionAnswer.value_or(msgbox::kCancel);
        case msgbox::kAbortRetryIgnore:
            return msgbox::kAbort;
        default:  // OK/Cancel, Retry/Cancel
            return msgbox::kCancel;
    }
}

int ConsoleUi::MessageBox(const std::string& text, int style, const std::string& caption) {
    if ((style & msgbox::kIconMask) == msgbox::kCritical)
        failureShown_ = true;
    const int answer = AnswerFor(style);
    out_.flush();
    err_ << caption << ": " << ConsoleText(text) << '\n';
    if ((style & msgbox::kButtonMask) != msgbox::kOkOnly) {
        err_ << "(answered " << AnswerName(answer) << ")\n";
    }
    err_.flush();
    return answer;
}

void ConsoleUi::SetStatusText(const std::string& text) {
    if (text.empty())
        return;
    out_.flush();
    err_ << "status: " << ConsoleText(text) << '\n';
    err_.flush();
}

std::optional<std::string> ConsoleUi::ChooseFile(const FileDialogRequest& request) {
    out_.flush();
    err_ << request.title << ": (file dialog cancelled: no file can be chosen here)\n";
    err_.flush();
    return std::nullopt;
}

std::string ConsoleUi::AskPassword() {
    out_.flush();
    if (options_.password && !passwordAwaitingOpen_) {
        passwordAwaitingOpen_ = true;
        err_ << "Password Required: (answered from " << options_.passwordOrigin << ")\n";
        err_.flush();
        return *options_.password;
    }
    if (options_.password) {
        err_ << "Password Required: (cancelled: the password from " << options_.passwordOrigin
             << " was refused)\n";
        err_.flush();
        return "";
    }
    // A person at a terminal answers each prompt, as in the program's dialog; an empty line
    // cancels it.
    if (const auto typed = ReadPasswordFromTerminal(STDIN_FILENO, "Password Required: ", err_))
        return *typed;
    err_ << "Password Required: (cancelled: give --password-file FILE or " << kPasswordVariable
         << ")\n";
    err_.flush();
    return "";
}

std::optional<OdbcRegistrationForm> ConsoleUi::AskOdbcRegistration(const OdbcRegistrationForm&) {
    out_.flush();
    // No form can be filled in here; the data source is registered with the program's dialog
    // or the driver manager's own tools.
    err_ << "ODBC DSN Registeration: (cancelled: the registration dialog cannot be shown here)\n";
    err_.flush();
    return std::nullopt;
}

void ConsoleUi::BindRecordsetView(const std::string& caption, const std::string& recordsetFile) {
    if (!options_.printRows || recordsetFile.empty())
        return;
    err_.flush();
    try {
        recordsets_.Print(caption, recordsetFile);
    } catch (const db::EngineError& error) {
        failureShown_ = true;
        out_.flush();
        err_ << "tessel-cli: " << error.Description() << '\n';
    }
    out_.flush();
}

RecordsetRowSink* ConsoleUi::RecordsetRows() {
    return options_.printRows ? &recordsets_ : nullptr;
}

bool StartConsoleSession(Session& session) {
    std::error_code code;
    const std::filesystem::path startDirectory = std::filesystem::current_path(code);
    try {
        const std::string appPath = ResolveAppPath();
        PrepareAppDirectory(appPath);
        InitializeSession(session, appPath);
    } catch (const std::exception& failure) {
        ShowStandardError(session.ui, AsEngineError(failure));
        return false;
    }
    // The session moved into the application directory, as the program does.
    if (!startDirectory.empty())
        std::filesystem::current_path(startDirectory, code);
    return true;
}

}  // namespace tessel::cli
