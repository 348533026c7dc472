// The console program's Ui: message boxes go to standard error as "caption: text", status
// texts as "status: text", each captured recordset is printed to standard output, and dialogs
// get the answers given on the command line (a cancel when none was given).
#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "cli/console_recordsets.h"
#include "core/session/session.h"
#include "core/ui.h"

namespace tessel::cli {

struct ConsoleOptions {
    // The answer to every Yes/No question: msgbox::kYes or kNo; none gives the safe answer
    // (No, or Cancel where the box offers it).
    std::optional<int> questionAnswer;
    // The answer to the database password prompt, from --password-file or TESSEL_PASSWORD
    // (named by `passwordOrigin`). A prompt that follows a refusal of it (no database opened
    // since it was given) is cancelled, so a wrong password cannot loop. Without one, a
    // terminal on standard input is asked.
    std::optional<std::string> password;
    std::string passwordOrigin;
    bool csv = false;       // recordsets as CSV instead of aligned tables
    bool printRows = true;  // print the captured recordsets at all
};

// Reads one option shared by the sub-commands at args[index], advancing index past its value.
// Returns false when args[index] is not such an option; sets `error` for a missing value.
bool ParseConsoleOption(const std::vector<std::string>& args, std::size_t& index,
                        ConsoleOptions& options, std::string& error);
// Takes the password from TESSEL_PASSWORD unless --password-file gave one.
void PasswordFromEnvironmentUnlessGiven(ConsoleOptions& options);
// Help lines for those options.
std::string ConsoleOptionsHelp();

class ConsoleUi : public Ui {
  public:
    ConsoleUi(ConsoleOptions options, std::ostream& out, std::ostream& err);

    int MessageBox(const std::string& text, int style, const std::string& caption) override;
    void SetStatusText(const std::string& text) override;
    void SetPointer(Pointer) override {}
    std::optional<std::string> ChooseFile(const FileDialogRequest& request) override;
    std::string AskPassword() override;
    std::optional<OdbcRegistrationForm> AskOdbcRegistration(
        const OdbcRegistrationForm& shown) override;
    // Every successful open reloads the tree; the console has no tree, but a password given
    // since then was accepted.
    void ReloadTree() override { passwordAwaitingOpen_ = false; }
    void ClearTree() override {}
    void AddRecordsetRow(int, const std::string&) override {}
    void HideRecordsetList() override {}
    void BindRecordsetView(const std::string& caption, const std::string& recordsetFile) override;
    void HideRecordsetView() override {}
    RecordsetRowSink* RecordsetRows() override;
    std::string EditorText() override { return editorText_; }
    void SetEditorText(const std::string& text) override { editorText_ = text; }

    // True once a box with the critical icon was shown, or a recordset could not be printed.
    bool FailureShown() const { return failureShown_; }
    // 0 when no failure was shown, 1 when one was.
    int ExitStatus() const { return failureShown_ ? 1 : 0; }
    const ConsoleOptions& Options() const { return options_; }

  private:
    int AnswerFor(int style) const;

    ConsoleOptions options_;
    std::ostream& out_;
    std::ostream& err_;
    std::string editorText_;
    bool failureShown_ = false;
    bool passwordAwaitingOpen_ = false;
    ConsoleRecordsets recordsets_;
};

// Prepares the application directory ($TESSEL_HOME, ...) and starts the session in it, as the
// program does at start. The working directory stays where the command was started, so that
// names on the command line and in scripts are meant from there. On failure shows the standard
// error box and returns false.
bool StartConsoleSession(Session& session);

}  // namespace tessel::cli
