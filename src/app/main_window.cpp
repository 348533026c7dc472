#include "app/main_window.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDate>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>

#include "app/browse/database_tree_pane.h"
#include "app/browse/recordset_list_pane.h"
#include "app/browse/recordset_view_pane.h"
#include "app/dialogs/options_dialog.h"
#include "app/main_menus.h"
#include "app/printing/print_commands.h"
#include "app/run_controller.h"
#include "app/startup/help_commands.h"
#include "app/startup/tips_setting.h"
#include "app/widget_ui.h"
#include "app/workspace/find_dialog.h"
#include "app/workspace/find_text.h"
#include "app/workspace/pane_area.h"
#include "app/workspace/script_editor.h"
#include "app/workspace/twips.h"
#include "core/files/file_commands.h"
#include "core/files/script_files.h"
#include "core/generate/ansi_export.h"
#include "core/generate/schema_script.h"
#include "core/maintenance/compact_db.h"
#include "core/maintenance/design_master.h"
#include "core/maintenance/repair_db.h"
#include "core/maintenance/synch_dm.h"
#include "core/script/recordset_file.h"
#include "core/script/script_runner.h"
#include "core/session/app_paths.h"
#include "core/session/current_database.h"
#include "core/session/failures.h"
#include "core/session/standard_error.h"
#include "core/session/startup.h"

namespace tessel::app {

namespace {

// How long the Caps Lock light may lag behind the key press that toggles it.
constexpr int kCapsLightDelayMs = 150;

QString WithoutAccessKeys(QString caption) {
    caption.remove(QRegularExpression("&(?!&)"));
    return caption;
}

}  // namespace

MainWindow::MainWindow(MainWindowOptions options)
    : options_(options),
      ui_(std::make_unique<WidgetUi>(*this)),
      session_(std::make_unique<Session>(*ui_)),
      keyboard_(options.readSystemCapsLock) {
    setObjectName("mainSQL");
    setWindowTitle(kMainWindowCaption);
    setWindowIcon(QIcon(":/icons/tessel.svg"));

    editor_ = new ScriptEditorPane;
    tree_ = new DatabaseTreePane(*session_);
    view_ = new RecordsetViewPane(*session_);
    list_ = new RecordsetListPane(*session_, *view_);
    panes_ = new PaneArea(tree_, editor_, list_, view_, this);
    setCentralWidget(panes_);

    CreateMenus();
    CreateToolbar();
    CreateStatusBar();
    runner_ = new RunController(*this, *ui_, *session_);
    BindOwnCommands();
    new HelpCommands(*this, options_.desktop);

    QList<QKeySequence> shortcuts;
    for (const QAction* item : std::as_const(menuItems_)) {
        if (!item->shortcut().isEmpty())
            shortcuts << item->shortcut();
    }
    editor_->TextBox()->SetMenuShortcuts(shortcuts);
    tree_->SetContextMenu(Menu("mnuTools"));
    list_->SetContextMenu(Menu("mnuScript"));

    connect(editor_, &ScriptEditorPane::TextChanged, this,
            [this] { session_->state.editor.scriptChanged = true; });
    connect(editor_, &ScriptEditorPane::CapsLockPressed, this, [this] {
        keyboard_.CapsLockPressed();
        UpdateKeyIndicators();
        if (options_.readSystemCapsLock) {
            QTimer::singleShot(kCapsLightDelayMs, this, &MainWindow::UpdateKeyIndicators);
        }
    });
    connect(editor_, &ScriptEditorPane::InsertPressed, this, [this] {
        keyboard_.InsertPressed();
        UpdateKeyIndicators();
    });
    connect(panes_, &PaneArea::EditorFocusWanted, this, [this] { editor_->TextBox()->setFocus(); });
    // The list pane sets its column widths itself on every resize, from its grid's client width.

    resize(1100, 760);
}

MainWindow::~MainWindow() {
    ShutDown();
    // The panes work on the session: they go before it does.
    delete takeCentralWidget();
    session_.reset();
}

QLabel* MainWindow::StatusPanel(int number) const {
    return number >= 1 && number <= statusPanels_.size() ? statusPanels_[number - 1] : nullptr;
}

void MainWindow::CreateMenus() {
    for (const TopMenuSpec& menuSpec : TopMenus()) {
        QMenu* menu = menuBar()->addMenu(menuSpec.caption);
        menu->setObjectName(menuSpec.name);
        menu->menuAction()->setObjectName(menuSpec.name);
        menus_.insert(menuSpec.name, menu);
    }
    for (const MenuItemSpec& menuSpec : MenuItems()) {
        QMenu* parent = menus_.value(menuSpec.menu);
        QAction* item = nullptr;
        if (menuSpec.subMenu) {
            QMenu* sub = parent->addMenu(menuSpec.caption);
            sub->setObjectName(menuSpec.name);
            menus_.insert(menuSpec.name, sub);
            item = sub->menuAction();
        } else {
            item = parent->addAction(menuSpec.caption);
            item->setShortcut(QKeySequence(menuSpec.shortcut, QKeySequence::PortableText));
            item->setCheckable(menuSpec.checkable);
            const QString name = menuSpec.name;
            connect(item, &QAction::triggered, this, [this, name] { RunMenuCommand(name); });
        }
        item->setObjectName(menuSpec.name);
        item->setProperty("helpContext", menuSpec.helpContext);
        menuItems_.insert(menuSpec.name, item);
        if (menuSpec.separatorAfter)
            parent->addSeparator();
    }
}

void MainWindow::CreateToolbar() {
    toolbar_ = addToolBar("Toolbar1");
    toolbar_->setObjectName("Toolbar1");
    toolbar_->setMovable(false);
    toolbar_->setFloatable(false);
    toolbar_->setIconSize(QSize(20, 20));
    // A right click here drops the File menu down; the toolbars' own menu would hide it.
    toolbar_->setContextMenuPolicy(Qt::PreventContextMenu);
    toolbar_->installEventFilter(this);
    for (const ToolbarButtonSpec& menuSpec : ToolbarButtons()) {
        if (menuSpec.separatorBefore)
            toolbar_->addSeparator();
        QAction* button =
            toolbar_->addAction(QIcon(QString(":/icons/") + menuSpec.image), menuSpec.toolTip);
        button->setObjectName(menuSpec.key);
        button->setToolTip(menuSpec.toolTip);
        const QString key = menuSpec.key;
        connect(button, &QAction::triggered, this, [this, key] { ToolbarButtonClick(key); });
        if (QWidget* widget = toolbar_->widgetForAction(button)) {
            widget->setObjectName(QString("Toolbar1_") + menuSpec.key);
            widget->installEventFilter(this);
        }
        buttons_.insert(menuSpec.key, button);
    }
}

void MainWindow::CreateStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setObjectName("StatusBar1");
    bar->setSizeGripEnabled(true);
    int number = 1;
    for (const StatusPanelSpec& menuSpec : StatusPanels()) {
        auto* panel = new QLabel(bar);
        panel->setObjectName(QString("StatusBar1Panel%1").arg(number++));
        panel->setToolTip(menuSpec.toolTip);
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        if (menuSpec.widthTwips == 0) {
            bar->addWidget(panel, 1);
        } else {
            panel->setMinimumWidth(TwipsToPixels(menuSpec.widthTwips, logicalDpiX()));
            bar->addPermanentWidget(panel);
        }
        statusPanels_ << panel;
    }
}

void MainWindow::BindOwnCommands() {
    Session& session = *session_;
    BindCommand("mnuFileNew", [&session] { FileNew(session); });
    BindCommand("mnuFileOpen", [&session] { FileOpen(session); });
    BindCommand("mnuFileSave", [&session] { FileSave(session); });
    BindCommand("mnuFileSaveAs", [&session] { FileSaveAs(session); });
    BindCommand("mnuFileDelete", [&session] { FileDelete(session); });
    BindCommand("mnuFileExit", [this] { close(); });
    BindPrinting(*this);
    BindCommand("mnuEditSelectAll", [this] { editor_->SelectAll(); });
    BindCommand("mnuEditCut", [this] { editor_->EditCut(); });
    BindCommand("mnuEditCopy", [this] { editor_->EditCopy(); });
    BindCommand("mnuEditPaste", [this] { editor_->EditPaste(); });
    BindCommand("mnuEditDelete", [this] { EditDelete(); });
    BindCommand("mnuEditFind", [this] { EditFind(); });
    BindCommand("mnuEditFindNext", [this] { EditFindNext(); });
    BindCommand("mnuScriptExecute", [this] { runner_->Execute(); });
    BindCommand("mnuScriptGenerate", [&session] { ScriptGenerate(session); });
    BindCommand("mnuScriptExport", [&session] { ScriptExport(session); });
    BindCommand("mnuToolsOptions",
                [this, &session] { OptionsDialog::Show(session, *editor_, this); });
    BindCommand("mnuToolsMDM", [&session] { MakeDM(session); });
    BindCommand("mnuToolsRDM", [&session] { ReplicateDM(session); });
    BindCommand("mnuToolsS", [&session] { SynchDM(session); });
    BindCommand("mnuToolsSysTbls", [this, &session] {
        tree_->SetIncludeSystemTables(MenuItem("mnuToolsSysTbls")->isChecked());
        if (session.state.current.databaseOpen)
            RefreshDB(session);
    });
    BindCommand("mnuToolsRepair", [&session] { RepairDB(session, "", false); });
    BindCommand("mnuToolsCMDB7",
                [&session] { CompactDB(session, "", compact::kVersion30, false); });
    BindCommand("mnuToolsCMDB2",
                [&session] { CompactDB(session, "", compact::kVersion20, false); });
    BindCommand("mnuHelpTOD", [this] {
        SetShowTipsAtStartup(true);
        if (startupTips_) {
            startupTips_();
        } else {
            ShowUnavailable("mnuHelpTOD");
        }
    });
}

void MainWindow::BindCommand(const QString& menuItem, std::function<void()> command) {
    commands_.insert(menuItem, std::move(command));
}

void MainWindow::Guarded(const std::function<void()>& command) {
    try {
        command();
    } catch (const std::exception& error) {
        ui_->SetPointer(Pointer::Default);
        ShowStandardError(*ui_, AsEngineError(error));
    }
}

void MainWindow::ShowUnavailable(const QString& menuItem) {
    QString caption = menuItem;
    if (const QAction* item = MenuItem(menuItem))
        caption = WithoutAccessKeys(item->text());
    ShowStandardError(*ui_, db::err::kNotSupported,
                      "The command \"" + caption.toStdString() +
                          "\" is not available in this version of the program.",
                      kAppTitle);
}

void MainWindow::RunMenuCommand(const QString& menuItem) {
    if (runner_->Running() && !RunController::CommandAllowedDuringRun(menuItem))
        return;
    const auto found = commands_.constFind(menuItem);
    if (found == commands_.constEnd()) {
        ShowUnavailable(menuItem);
        return;
    }
    const std::function<void()> command = found.value();
    Guarded(command);
}

void MainWindow::ToolbarButtonClick(const QString& key) {
    const QByteArray keyText = key.toUtf8();
    const char* item = MenuItemForButton(keyText.constData());
    if (item == nullptr)
        return;
    if (*item != '\0') {
        RunMenuCommand(item);
    } else if (runner_->Running()) {
        return;
    } else if (printNow_) {
        Guarded(printNow_);
    } else {
        ShowUnavailable("mnuFilePrint");
    }
}

void MainWindow::Load(const std::string& appPath) {
    try {
        PrepareAppDirectory(appPath);
        InitializeSession(*session_, appPath);
        QAction* systemTables = MenuItem("mnuToolsSysTbls");
        systemTables->setChecked(false);
        tree_->SetIncludeSystemTables(false);

        UpdateKeyIndicators();
        const db::Workspace* workspace = session_->state.engineObjects.jetWorkspace.get();
        StatusPanel(4)->setText(
            "User: " + QString::fromStdString(workspace ? workspace->UserName() : std::string()));
        StatusPanel(5)->setText(QDate::currentDate().toString("dd/MM/yyyy"));

        LoadScriptFile(*session_, appPath + "/" + kTemplateScriptName);
        session_->state.editor.currentScriptFileName = kTemplateScriptName;
        editor_->TextBox()->setFocus();
        session_->state.editor.scriptChanged = false;
    } catch (const std::exception& error) {
        ui_->SetPointer(Pointer::Default);
        ShowStandardError(*ui_, AsEngineError(error));
    }
}

void MainWindow::ShowAfterSplash() {
    show();
    if (ShowTipsAtStartup() && startupTips_)
        startupTips_();
}

void MainWindow::UpdateKeyIndicators() {
    StatusPanel(2)->setText(keyboard_.CapsLockOn() ? "CAPS" : "");
    StatusPanel(3)->setText(keyboard_.InsertOn() ? "INS" : "");
}

void MainWindow::FindText() {
    FindResult result = FindStep(editor_->SearchableText(), editor_->SelectionStart(),
                                 editor_->SelectionLength(), session_->state.find);
    if (result.found) {
        editor_->SetSelection(result.selectionStart, result.selectionLength);
        editor_->TextBox()->ensureCursorVisible();
    } else {
        ui_->MessageBox(CannotFindMessage(session_->state.find).toStdString(), msgbox::kOkOnly,
                        kAppTitle);
    }
}

void MainWindow::EditFind() {
    FindState& find = session_->state.find;
    const QString selected = editor_->SelectedText();
    const QString initial = selected.isEmpty() ? QString::fromStdString(find.findText) : selected;

    FindDialog dialog(
        find, [this] { FindText(); }, this);
    findDialog_ = &dialog;
    dialog.txtFind()->setText(initial);
    find.newSearch = true;
    if (find.matchCase)
        dialog.chkCase()->setChecked(true);
    dialog.exec();
    findDialog_ = nullptr;
}

void MainWindow::EditFindNext() {
    if (session_->state.find.findText.empty()) {
        EditFind();
    } else {
        FindText();
    }
}

void MainWindow::EditDelete() {
    // Delete acts on the control the person is in, so nothing changes out of sight: the script
    // only while it has the focus, a tree or a grid (read-only) not at all.
    QWidget* focus = focusWidget();
    if (focus == editor_->TextBox()) {
        editor_->DeleteSelectionOrNextCharacter();
    } else if (auto* combo = qobject_cast<QComboBox*>(focus)) {
        if (combo->isEditable() && combo->lineEdit() != nullptr)
            combo->lineEdit()->del();
    } else if (auto* line = qobject_cast<QLineEdit*>(focus)) {
        if (!line->isReadOnly())
            line->del();
    } else if (auto* box = qobject_cast<QPlainTextEdit*>(focus)) {
        if (!box->isReadOnly())
            DeleteSelectionOrNextCharacterIn(*box);
    }
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (runner_->Running()) {
        runner_->StopThenClose();
        event->ignore();
        return;
    }
    if (!shutDown_ && !ClosingQuestion(*session_)) {
        event->ignore();
        return;
    }
    ShutDown();
    event->accept();
    emit ProgramEnded();
}

void MainWindow::ShutDown() {
    if (shutDown_)
        return;
    shutDown_ = true;
    SharedState& state = session_->state;
    try {
        if (state.current.currentDatabase)
            state.current.currentDatabase->Close();
    } catch (const std::exception&) {
    }
    state.current.currentDatabase.reset();
    state.current.databaseOpen = false;
    state.engineObjects.adoConnection.reset();
    if (state.engineObjects.odbcWorkspace)
        state.engineObjects.odbcWorkspace->Close();
    state.engineObjects.odbcWorkspace.reset();
    if (state.engineObjects.jetWorkspace)
        state.engineObjects.jetWorkspace->Close();
    state.engineObjects.jetWorkspace.reset();
    if (state.recordsets.recordsetCount > 0 || state.recordsets.recordsetHighWater > 0) {
        try {
            CleanRecordsets(*session_);
        } catch (const std::exception&) {
        }
    }
}

void MainWindow::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange) {
        const Qt::WindowStates state = windowState();
        int windowState = kWindowNormal;
        if (state & Qt::WindowMinimized) {
            windowState = kWindowMinimised;
        } else if (state & (Qt::WindowMaximized | Qt::WindowFullScreen)) {
            windowState = kWindowMaximised;
        }
        panes_->MainWindowResized(windowState);
    }
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        const bool onToolbar =
            watched == toolbar_ ||
            (watched->isWidgetType() && static_cast<QWidget*>(watched)->parentWidget() == toolbar_);
        if (onToolbar && mouse->button() == Qt::RightButton) {
            Menu("mnuFile")->popup(mouse->globalPosition().toPoint());
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

}  // namespace tessel::app
