#include "app/widget_ui.h"

#include <QApplication>
#include <QLabel>
#include <QTimer>

#include "app/browse/database_tree_pane.h"
#include "app/browse/recordset_list_pane.h"
#include "app/browse/recordset_view_pane.h"
#include "app/dialogs/file_dialog.h"
#include "app/dialogs/message_box.h"
#include "app/dialogs/odbc_registration_dialog.h"
#include "app/dialogs/password_dialog.h"
#include "app/dialogs/synch_opts_dialog.h"
#include "app/dialogs/tables_keep_dialog.h"
#include "app/main_window.h"
#include "app/workspace/script_editor.h"

namespace tessel::app {

WidgetUi::WidgetUi(MainWindow& window) : window_(window) {}

WidgetUi::~WidgetUi() {
    if (busy_)
        QApplication::restoreOverrideCursor();
}

int WidgetUi::MessageBox(const std::string& text, int style, const std::string& caption) {
    // A box asks the person: the pointer must not say "busy" while it waits.
    const bool wasBusy = busy_;
    if (wasBusy)
        SetPointer(Pointer::Default);
    const int answer = ShowMessageBox(&window_, text, style, caption);
    if (wasBusy)
        SetPointer(Pointer::Busy);
    return answer;
}

void WidgetUi::SetStatusText(const std::string& text) {
    QLabel* panel = window_.StatusPanel(1);
    panel->setText(QString::fromStdString(text.empty() && running_ ? runProgress_ : text));
    // Long commands write progress before they return to the event loop.
    if (panel->isVisible())
        panel->repaint();
}

void WidgetUi::SetPointer(Pointer pointer) {
    const bool wantBusy = pointer == Pointer::Busy;
    if (wantBusy == busy_)
        return;
    busy_ = wantBusy;
    if (busy_) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
    } else {
        QApplication::restoreOverrideCursor();
    }
}

std::optional<std::string> WidgetUi::ChooseFile(const FileDialogRequest& request) {
    const bool wasBusy = busy_;
    if (wasBusy)
        SetPointer(Pointer::Default);
    std::optional<std::string> chosen = RunFileDialog(&window_, request);
    if (wasBusy)
        SetPointer(Pointer::Busy);
    return chosen;
}

void WidgetUi::ChooseTablesKeptLocal(
    const std::vector<std::string>& tables,
    const std::function<bool(const std::vector<std::string>&)>& keep) {
    TablesKeepDialog dialog(tables, keep, &window_);
    dialog.exec();
}

int WidgetUi::AskSynchronisationDirection(const std::string& firstTitle,
                                          const std::string& secondTitle) {
    return SynchOptsDialog::Ask(firstTitle, secondTitle, &window_);
}

std::string WidgetUi::AskPassword() {
    const bool wasBusy = busy_;
    if (wasBusy)
        SetPointer(Pointer::Default);
    const QString password = PasswordDialog::Ask(&window_);
    if (wasBusy)
        SetPointer(Pointer::Busy);
    return password.toStdString();
}

std::optional<OdbcRegistrationForm> WidgetUi::AskOdbcRegistration(
    const OdbcRegistrationForm& shown) {
    const bool wasBusy = busy_;
    if (wasBusy)
        SetPointer(Pointer::Default);
    auto answer = OdbcRegistrationDialog::Ask(shown, &window_);
    if (wasBusy)
        SetPointer(Pointer::Busy);
    return answer;
}

void WidgetUi::ReloadTree() {
    treeReloadPending_ = true;
    ScheduleTreeFlush();
}

// While a script runs, the events that keep the window painted come in the middle of a
// statement's work: the tree waits for the end of the run.
void WidgetUi::ScheduleTreeFlush() {
    if (treeFlushScheduled_)
        return;
    treeFlushScheduled_ = true;
    QTimer::singleShot(0, this, [this] {
        treeFlushScheduled_ = false;
        if (!running_)
            FlushTreeReload();
    });
}

void WidgetUi::BeginRun() {
    running_ = true;
    runProgress_.clear();
}

void WidgetUi::SetRunProgress(const std::string& text) {
    runProgress_ = text;
    // Painted with the next events, which the run lets through often enough.
    window_.StatusPanel(1)->setText(QString::fromStdString(text));
}

void WidgetUi::EndRun() {
    running_ = false;
    runProgress_.clear();
    FlushTreeReload();
}

void WidgetUi::FlushTreeReload() {
    treeFlushScheduled_ = false;
    const bool reload = treeReloadPending_;
    const bool clear = treeClearPending_;
    treeReloadPending_ = false;
    treeClearPending_ = false;
    // A clear followed by a reload is the close and reopen after a statement: the tree is
    // brought up to date instead of being emptied and built again.
    if (reload) {
        window_.TreePane().LoadDatabase();
    } else if (clear) {
        window_.TreePane().ClearTree();
    }
}

void WidgetUi::ClearTree() {
    treeReloadPending_ = false;
    treeClearPending_ = true;
    ScheduleTreeFlush();
}

void WidgetUi::AddRecordsetRow(int count, const std::string& statement) {
    window_.ListPane().AddRow(count, QString::fromStdString(statement));
}

void WidgetUi::HideRecordsetList() {
    window_.ListPane().HideGrid();
}

void WidgetUi::BindRecordsetView(const std::string& caption, const std::string& recordsetFile) {
    window_.ViewPane().Bind(QString::fromStdString(caption), QString::fromStdString(recordsetFile));
}

void WidgetUi::HideRecordsetView() {
    window_.ViewPane().HideGrid();
}

std::string WidgetUi::EditorText() {
    return window_.Editor().Text();
}

void WidgetUi::SetEditorText(const std::string& text) {
    window_.Editor().SetText(text);
}

}  // namespace tessel::app
