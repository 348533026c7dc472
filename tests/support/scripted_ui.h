// A Ui for core tests: records every message box, status text, pointer change and pane
// notification, and answers dialogs from queues.
#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/ui.h"

namespace tessel::test {

struct ShownBox {
    std::string text;
    int style = 0;
    std::string caption;
};

class ScriptedUi : public Ui {
  public:
    int MessageBox(const std::string& text, int style, const std::string& caption) override;
    void SetStatusText(const std::string& text) override;
    void SetPointer(Pointer pointer) override;
    std::optional<std::string> ChooseFile(const FileDialogRequest& request) override;
    std::string AskPassword() override;
    std::optional<OdbcRegistrationForm> AskOdbcRegistration(
        const OdbcRegistrationForm& shown) override;
    void ChooseTablesKeptLocal(
        const std::vector<std::string>& tables,
        const std::function<bool(const std::vector<std::string>&)>& keep) override;
    int AskSynchronisationDirection(const std::string& firstTitle,
                                    const std::string& secondTitle) override;
    void ReloadTree() override { ++treeReloads; }
    void ClearTree() override { ++treeClears; }
    void AddRecordsetRow(int count, const std::string& statement) override;
    void HideRecordsetList() override { recordsetListVisible = false; }
    void BindRecordsetView(const std::string& caption, const std::string& recordsetFile) override;
    void HideRecordsetView() override;
    std::string EditorText() override { return editorText; }
    void SetEditorText(const std::string& text) override;

    // Answers, consumed in order. A box with no queued answer gets OK (or Yes for Yes/No).
    std::deque<int> boxAnswers;
    // nullopt = cancel.
    std::deque<std::optional<std::string>> fileAnswers;
    std::deque<std::string> passwordAnswers;  // "" = cancel; an empty queue cancels
    // Answers of the ODBC registration dialog, given the form as shown; nullopt = cancel, and
    // an empty queue cancels.
    std::deque<std::function<std::optional<OdbcRegistrationForm>(const OdbcRegistrationForm&)>>
        odbcAnswers;

    // Answers of the keep-local dialog: the tables chosen with OK, nullopt = Cancel; an empty
    // queue cancels. A refused OK keeps the dialog open for the next answer.
    std::deque<std::optional<std::vector<std::string>>> keepLocalAnswers;
    // Answers of the synchronisation options dialog; an empty queue cancels (both ways).
    std::deque<int> directionAnswers;

    // What was shown.
    std::vector<ShownBox> boxes;
    std::vector<std::string> statusTexts;
    std::vector<Pointer> pointers;
    std::vector<FileDialogRequest> fileRequests;
    int passwordPrompts = 0;
    std::vector<std::vector<std::string>> keepLocalOffers;  // each dialog's table list
    std::vector<std::pair<std::string, std::string>> directionTitles;
    std::vector<OdbcRegistrationForm> odbcForms;  // each registration dialog as it opened
    int treeReloads = 0;
    int treeClears = 0;
    bool recordsetListVisible = false;
    std::vector<std::string> recordsetRows;  // index k-1 holds row k's statement
    bool viewVisible = false;
    std::string viewCaption;
    std::string viewFile;
    std::string editorText;
    int editorAssignments = 0;

    std::string StatusText() const { return statusTexts.empty() ? "" : statusTexts.back(); }
    bool PointerIsDefault() const {
        return pointers.empty() || pointers.back() == Pointer::Default;
    }
    // Texts of every box, one per line, for readable assertions.
    std::string BoxLog() const;
};

}  // namespace tessel::test
