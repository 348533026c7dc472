// The core's Ui on widgets: message boxes, status panel 1, the busy pointer, the common file
// dialog, the password prompt, and the notifications for the panes of the main window.
//
// Tree reloads and clears are coalesced: a script of thousands of statements asks for
// thousands of them, and the tree is brought up to date once when control returns to the event
// loop, from the database as it is then.
#pragma once

#include <QObject>

#include "core/ui.h"

namespace tessel::app {

class MainWindow;

class WidgetUi : public QObject, public Ui {
    Q_OBJECT
  public:
    explicit WidgetUi(MainWindow& window);
    ~WidgetUi() override;

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
    void ReloadTree() override;
    void ClearTree() override;
    void AddRecordsetRow(int count, const std::string& statement) override;
    void HideRecordsetList() override;
    void BindRecordsetView(const std::string& caption, const std::string& recordsetFile) override;
    void HideRecordsetView() override;
    std::string EditorText() override;
    void SetEditorText(const std::string& text) override;

    // Reloads or clears the tree now when either is waiting.
    void FlushTreeReload();
    bool TreeReloadPending() const { return treeReloadPending_; }

    // While a script runs: the events that keep the window painted come while a statement is
    // in the middle of its work, so the tree waits for the end of the run; and the run's
    // progress stands in the status panel whenever a command empties it.
    void BeginRun();
    void SetRunProgress(const std::string& text);
    // Rebuilds the tree when a reload waited for the run.
    void EndRun();

  private:
    void ScheduleTreeFlush();

    MainWindow& window_;
    bool busy_ = false;
    bool treeReloadPending_ = false;
    bool treeClearPending_ = false;
    bool treeFlushScheduled_ = false;
    bool running_ = false;
    std::string runProgress_;
};

}  // namespace tessel::app
