#include "app/run_controller.h"

#include <QAction>
#include <QCoreApplication>
#include <QKeySequence>
#include <QPushButton>
#include <QShortcut>
#include <QStatusBar>
#include <QTimer>
#include <string>

#include "app/browse/database_tree_pane.h"
#include "app/browse/recordset_list_pane.h"
#include "app/browse/recordset_view_pane.h"
#include "app/main_menus.h"
#include "app/main_window.h"
#include "app/widget_ui.h"
#include "app/workspace/script_editor.h"
#include "core/script/script_runner.h"

namespace tessel::app {

namespace {

// How long the window may go without its events while a statement runs: short enough that it
// repaints smoothly and a stop takes effect at once, long enough that the events cost nothing
// next to the statements.
constexpr qint64 kEventIntervalMs = 50;

}  // namespace

bool RunController::CommandAllowedDuringRun(const QString& menuItem) {
    // They only read the editor, which the run leaves alone.
    return menuItem == "mnuEditCopy" || menuItem == "mnuEditSelectAll";
}

RunController::RunController(MainWindow& window, WidgetUi& ui, Session& session)
    : QObject(&window), window_(window), ui_(ui), session_(session) {
    cancelButton_ = new QPushButton("Cancel");
    cancelButton_->setObjectName("cmdCancelRun");
    cancelButton_->setToolTip("Stops the running statement; the rest of the script is not run");
    cancelButton_->setFocusPolicy(Qt::NoFocus);
    window_.statusBar()->addWidget(cancelButton_);
    cancelButton_->hide();
    connect(cancelButton_, &QPushButton::clicked, this, &RunController::Stop);

    escape_ = new QShortcut(QKeySequence(Qt::Key_Escape), &window_);
    escape_->setContext(Qt::WindowShortcut);
    escape_->setEnabled(false);
    connect(escape_, &QShortcut::activated, this, &RunController::Stop);
}

RunController::~RunController() = default;

void RunController::Execute() {
    if (running_ || window_.Editor().TextLength() == 0)
        return;
    ScriptRun run;
    run.keepGoing = [this] {
        KeepAlive();
        // What the run does after a stop (rolling back what the script left open) must not
        // be cancelled too.
        if (stopRequested_)
            session_.engine.SetProgressHook({});
        return !stopRequested_;
    };
    run.statementStarting = [this](std::size_t number, std::size_t total) {
        ui_.SetRunProgress("Statement " + std::to_string(number) + " of " + std::to_string(total));
    };
    Begin();
    QElapsedTimer clock;
    clock.start();
    struct EndGuard {
        RunController& controller;
        ~EndGuard() { controller.End(); }
    };
    {
        EndGuard ending{*this};
        ScriptExecute(session_, run);
    }
    ui_.SetStatusText(RunSummaryText(run, static_cast<double>(clock.nsecsElapsed()) / 1e9));
}

void RunController::Stop() {
    if (running_)
        stopRequested_ = true;
}

void RunController::StopThenClose() {
    if (!running_)
        return;
    closeWhenEnded_ = true;
    Stop();
}

void RunController::Begin() {
    running_ = true;
    stopRequested_ = false;
    ui_.BeginRun();
    SetInputEnabled(false);
    cancelButton_->show();
    escape_->setEnabled(true);
    sinceEvents_.start();
    session_.engine.SetProgressHook([this] {
        KeepAlive();
        return !stopRequested_;
    });
    emit RunStarted();
}

void RunController::End() {
    session_.engine.SetProgressHook({});
    escape_->setEnabled(false);
    cancelButton_->hide();
    SetInputEnabled(true);
    running_ = false;
    ui_.EndRun();
    emit RunEnded();
    if (closeWhenEnded_) {
        closeWhenEnded_ = false;
        QTimer::singleShot(0, &window_, [window = &window_] { window->close(); });
    }
}

void RunController::KeepAlive() {
    // The events may themselves reach the engine (a result page read while painting); those
    // steps must not let events through again.
    if (inEvents_ || sinceEvents_.elapsed() < kEventIntervalMs)
        return;
    inEvents_ = true;
    QCoreApplication::processEvents();
    inEvents_ = false;
    sinceEvents_.restart();
}

void RunController::SetInputEnabled(bool enabled) {
    ScriptTextEdit* editor = window_.Editor().TextBox();
    if (enabled) {
        for (const QPointer<QAction>& command : disabledCommands_) {
            if (command)
                command->setEnabled(true);
        }
        for (const QPointer<QWidget>& pane : disabledPanes_) {
            if (pane)
                pane->setEnabled(true);
        }
        disabledCommands_.clear();
        disabledPanes_.clear();
        editor->setReadOnly(editorWasReadOnly_);
        return;
    }
    const auto disable = [this](QAction* command, const QString& menuItem) {
        if (command != nullptr && command->isEnabled() && !CommandAllowedDuringRun(menuItem)) {
            command->setEnabled(false);
            disabledCommands_.emplace_back(command);
        }
    };
    for (const MenuItemSpec& item : MenuItems())
        disable(window_.MenuItem(item.name), item.name);
    for (const ToolbarButtonSpec& button : ToolbarButtons())
        disable(window_.ToolbarButton(button.key), MenuItemForButton(button.key));
    for (QWidget* pane :
         {static_cast<QWidget*>(&window_.TreePane()), static_cast<QWidget*>(&window_.ListPane()),
          static_cast<QWidget*>(&window_.ViewPane())}) {
        if (pane->isEnabled()) {
            pane->setEnabled(false);
            disabledPanes_.emplace_back(pane);
        }
    }
    editorWasReadOnly_ = editor->isReadOnly();
    editor->setReadOnly(true);
}

}  // namespace tessel::app
