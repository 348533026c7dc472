// Script > Execute in the window. The script runs on the one thread, as everything does; the
// engine's progress hook, and the gap between two statements, let the window's events through
// every few tens of milliseconds, so the window stays painted and Esc or the status bar's
// Cancel button can stop the run. The running statement then fails with "Operation cancelled"
// (its transaction rolled back by the engine) and the rest of the script is skipped.
//
// Events that arrive during a run must not start a second run or change what the run works
// on: the commands are disabled for its length, except Copy and Select All, the editor is
// read-only and the tree and result panes take no input. Closing the window stops the run
// first, then closes as usual.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <cstddef>
#include <vector>

class QAction;
class QString;
class QPushButton;
class QShortcut;
class QWidget;

namespace tessel {
class Session;
}

namespace tessel::app {

class MainWindow;
class WidgetUi;

class RunController : public QObject {
    Q_OBJECT
  public:
    RunController(MainWindow& window, WidgetUi& ui, Session& session);
    ~RunController() override;

    // Script > Execute: does nothing with an empty editor or while a run is going.
    void Execute();
    bool Running() const { return running_; }
    // Esc and the Cancel button: stops the running statement and the script.
    void Stop();
    // Closing during a run: stops it, and closes the window once it has ended.
    void StopThenClose();

    QPushButton* CancelButton() const { return cancelButton_; }

    // The menu commands that stay available while a script runs.
    static bool CommandAllowedDuringRun(const QString& menuItem);

  signals:
    void RunStarted();
    void RunEnded();

  private:
    void Begin();
    void End();
    // Lets the window's events through, no more often than every few tens of milliseconds.
    void KeepAlive();
    void SetInputEnabled(bool enabled);

    MainWindow& window_;
    WidgetUi& ui_;
    Session& session_;
    QPushButton* cancelButton_ = nullptr;
    QShortcut* escape_ = nullptr;
    bool running_ = false;
    bool stopRequested_ = false;
    bool closeWhenEnded_ = false;
    bool inEvents_ = false;
    bool editorWasReadOnly_ = false;
    QElapsedTimer sinceEvents_;
    std::vector<QPointer<QAction>> disabledCommands_;
    std::vector<QPointer<QWidget>> disabledPanes_;
};

}  // namespace tessel::app
