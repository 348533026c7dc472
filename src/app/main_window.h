// The main window "mainSQL": four panes (database tree, script editor, recordset list,
// recordset view), the menu tree, the toolbar, the status bar, and the commands that the menus
// and buttons run. It owns the session that every core routine works on.
//
// Commands of other modules are bound to their menu items with BindCommand; a menu item with
// no command says so in the standard error box instead of doing nothing.
#pragma once

#include <QHash>
#include <QMainWindow>
#include <functional>
#include <memory>
#include <string>

#include "app/startup/desktop_services.h"
#include "app/workspace/keyboard_state.h"
#include "core/session/session.h"

class QAction;
class QLabel;
class QMenu;
class QToolBar;

namespace tessel::app {

class DatabaseTreePane;
class FindDialog;
class PaneArea;
class RecordsetListPane;
class RunController;
class RecordsetViewPane;
class ScriptEditorPane;
class WidgetUi;

struct MainWindowOptions {
    // Caps Lock from the keyboard light; tests track it from the key presses instead.
    bool readSystemCapsLock = true;
    // The help viewer, browser and system information program; tests record instead.
    DesktopServices desktop{};
};

class MainWindow : public QMainWindow {
    Q_OBJECT
  public:
    explicit MainWindow(MainWindowOptions options = {});
    ~MainWindow() override;

    // The load handler: the application directory and the session, the status bar panels,
    // the start script "template.sqv". A failure shows the standard error box and skips the
    // rest; the window can still be shown.
    void Load(const std::string& appPath);

    Session& GetSession() { return *session_; }
    WidgetUi& GetUi() { return *ui_; }
    ScriptEditorPane& Editor() { return *editor_; }
    DatabaseTreePane& TreePane() { return *tree_; }
    RecordsetListPane& ListPane() { return *list_; }
    RecordsetViewPane& ViewPane() { return *view_; }
    PaneArea& Panes() { return *panes_; }
    KeyboardState& Keyboard() { return keyboard_; }
    RunController& Runner() { return *runner_; }

    QAction* MenuItem(const QString& name) const { return menuItems_.value(name); }
    QMenu* Menu(const QString& name) const { return menus_.value(name); }
    QToolBar* Toolbar() const { return toolbar_; }
    QAction* ToolbarButton(const QString& key) const { return buttons_.value(key); }
    // Panels 1 to 5.
    QLabel* StatusPanel(int number) const;

    void BindCommand(const QString& menuItem, std::function<void()> command);
    // The toolbar's print button prints at once, without the print dialog.
    void BindPrintNow(std::function<void()> command) { printNow_ = std::move(command); }
    // What the splash timer shows after the main window when the settings ask for tips.
    void BindStartupTips(std::function<void()> command) { startupTips_ = std::move(command); }

    void RunMenuCommand(const QString& menuItem);
    // Runs the command of a toolbar button; an unknown key does nothing.
    void ToolbarButtonClick(const QString& key);
    // Shows the main window and, when "Show Tips at Startup" says so, the tips.
    void ShowAfterSplash();

    // Edit menu commands and the search step.
    void EditFind();
    void EditFindNext();
    void EditDelete();
    void FindText();
    // The find dialog while it is open, for tests.
    FindDialog* OpenFindDialog() const { return findDialog_; }

    // The unload steps: closes the database, the connections and the workspace and deletes the
    // recordset files. Runs once.
    void ShutDown();

  signals:
    // The window closed for good: the program ends.
    void ProgramEnded();

  protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void CreateMenus();
    void CreateToolbar();
    void CreateStatusBar();
    void BindOwnCommands();
    void ShowUnavailable(const QString& menuItem);
    void UpdateKeyIndicators();
    // Runs a command; a failure that reaches here ends it with the standard error box.
    void Guarded(const std::function<void()>& command);

    MainWindowOptions options_;
    std::unique_ptr<WidgetUi> ui_;
    std::unique_ptr<Session> session_;
    KeyboardState keyboard_;
    ScriptEditorPane* editor_ = nullptr;
    DatabaseTreePane* tree_ = nullptr;
    RecordsetListPane* list_ = nullptr;
    RecordsetViewPane* view_ = nullptr;
    PaneArea* panes_ = nullptr;
    RunController* runner_ = nullptr;
    QToolBar* toolbar_ = nullptr;
    QList<QLabel*> statusPanels_;
    QHash<QString, QAction*> menuItems_;
    QHash<QString, QMenu*> menus_;
    QHash<QString, QAction*> buttons_;
    QHash<QString, std::function<void()>> commands_;
    std::function<void()> printNow_;
    std::function<void()> startupTips_;
    FindDialog* findDialog_ = nullptr;
    bool shutDown_ = false;
};

}  // namespace tessel::app
