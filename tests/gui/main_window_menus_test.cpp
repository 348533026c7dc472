// The main window's menu tree, shortcuts, toolbar and status bar as a person finds them.
#include <QAction>
#include <QDialog>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

#include "app/workspace/script_editor.h"
#include "gui_support.h"

namespace tessel::test::gui {
namespace {

struct Item {
    const char* name;
    const char* caption;
    const char* shortcut;  // native text
    int helpContext;
};

// "-" stands for a separator.
const std::vector<std::pair<const char*, std::vector<Item>>> kMenus = {
    {"File",
     {{"mnuFileNew", "&New", "Ctrl+N", 7},
      {"mnuFileOpen", "&Open", "Ctrl+O", 8},
      {"mnuFileSave", "&Save", "Ctrl+S", 9},
      {"mnuFileSaveAs", "Save &As", "Ctrl+J", 10},
      {"-", "", "", 0},
      {"mnuFileDelete", "&Delete", "Ctrl+D", 11},
      {"-", "", "", 0},
      {"mnuFilePrinterSU", "Printer set&up", "Ctrl+U", 12},
      {"mnuFilePrintPreview", "Print pre&view", "Ctrl+Shift+P", 13},
      {"mnuFilePrint", "&Print", "Ctrl+P", 13},
      {"-", "", "", 0},
      {"mnuFileExit", "E&xit", "Ctrl+Q", 14}}},
    {"&Edit",
     {{"mnuEditSelectAll", "Select &All", "Ctrl+A", 15},
      {"-", "", "", 0},
      {"mnuEditCut", "C&ut", "Ctrl+X", 16},
      {"mnuEditCopy", "&Copy", "Ctrl+C", 17},
      {"mnuEditPaste", "&Paste", "Ctrl+V", 18},
      {"mnuEditDelete", "&Delete", "Del", 19},
      {"-", "", "", 0},
      {"mnuEditFind", "&Find", "Ctrl+F", 20},
      {"mnuEditFindNext", "Find &next", "F3", 21}}},
    {"&Script",
     {{"mnuScriptExecute", "&Execute", "Ctrl+E", 22},
      {"mnuScriptGenerate", "&Generate", "Ctrl+G", 23},
      {"-", "", "", 0},
      {"mnuScriptExport", "E&xport", "F4", 24}}},
    {"&Tools",
     {{"mnuToolsOptions", "&Options...", "Ctrl+T", 25},
      {"-", "", "", 0},
      {"mnuToolsRepair", "&Repair MDB", "Ctrl+R", 26},
      {"mnuToolsCompact", "&Compact MDB", "", 0},
      {"-", "", "", 0},
      {"mnuToolsMDM", "Make MDB Design &Master", "Ctrl+M", 29},
      {"mnuToolsRDM", "Replicate MDB &DM copy", "F6", 30},
      {"mnuToolsS", "&Synchronise MDB DM files", "Ctrl+Y", 31},
      {"-", "", "", 0},
      {"mnuToolsSysTbls", "&Include system tables", "Ctrl+I", 32}}},
    {"Help",
     {{"mnuHelpTopics", "&Contents and index", "F1", 0},
      {"-", "", "", 0},
      {"mnuHelpWeb", "Ollam on the &web", "Ctrl+W", 33},
      {"-", "", "", 0},
      {"mnuHelpAbout", "&About Ollam SQL Script Editor", "F2", 34},
      {"mnuHelpTOD", "&Show tip of day...", "F5", 35}}},
};

class MenusTest : public MainWindowTest {};

void ExpectItems(QMenu* menu, const std::vector<Item>& expected) {
    const QList<QAction*> actions = menu->actions();
    ASSERT_EQ(actions.size(), static_cast<qsizetype>(expected.size())) << Std(menu->title());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const QAction* action = actions[static_cast<qsizetype>(i)];
        const Item& item = expected[i];
        if (std::string(item.name) == "-") {
            EXPECT_TRUE(action->isSeparator()) << "position " << i << " of " << Std(menu->title());
            continue;
        }
        EXPECT_EQ(Std(action->objectName()), item.name);
        EXPECT_EQ(Std(action->text()), item.caption);
        EXPECT_EQ(Std(action->shortcut().toString(QKeySequence::PortableText)), item.shortcut)
            << item.name;
        EXPECT_EQ(action->property("helpContext").toInt(), item.helpContext) << item.name;
    }
}

TEST_F(MenusTest, TheWindowCarriesTheApplicationsCaption) {
    EXPECT_EQ(Std(Window().windowTitle()), "Ollam Quillet script editor");
    EXPECT_EQ(Std(Window().objectName()), "mainSQL");
}

TEST_F(MenusTest, MenuTreeCaptionsShortcutsAndSeparators) {
    const QList<QAction*> top = Window().menuBar()->actions();
    ASSERT_EQ(top.size(), static_cast<qsizetype>(kMenus.size()));
    for (std::size_t i = 0; i < kMenus.size(); ++i) {
        QAction* menuAction = top[static_cast<qsizetype>(i)];
        EXPECT_EQ(Std(menuAction->text()), kMenus[i].first);
        ASSERT_NE(menuAction->menu(), nullptr);
        ExpectItems(menuAction->menu(), kMenus[i].second);
    }
    QMenu* compact = Window().MenuItem("mnuToolsCompact")->menu();
    ASSERT_NE(compact, nullptr);
    ExpectItems(compact, {{"mnuToolsCMDB7", "&7.0 MDB...", "F7", 27},
                          {"mnuToolsCMDB2", "&2.0 MDB...", "F8", 28}});
    EXPECT_TRUE(Window().MenuItem("mnuToolsSysTbls")->isCheckable());
    EXPECT_FALSE(Window().MenuItem("mnuToolsSysTbls")->isChecked());
}

TEST_F(MenusTest, ToolbarButtonsInOrderWithTooltipsPicturesAndSeparators) {
    const std::vector<std::pair<const char*, const char*>> expected = {
        {"-", ""},
        {"new", "New script template"},
        {"open", "Open script file"},
        {"save", "Save script file"},
        {"delete", "Delete script file"},
        {"print", "Print script file"},
        {"-", ""},
        {"cut", "Cut selected text"},
        {"copy", "Copy selected text"},
        {"paste", "Paste"},
        {"find", "Find script text"},
        {"-", ""},
        {"execute", "Execute SQL script"},
        {"generate", "Generate script"},
        {"export", "Export script into standard ANSI SQL script file"},
        {"-", ""},
        {"help", "Help topics"},
        {"about", "About Ollam Quillet script editor"},
    };
    const QList<QAction*> actions = Window().Toolbar()->actions();
    ASSERT_EQ(actions.size(), static_cast<qsizetype>(expected.size()));
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const QAction* action = actions[static_cast<qsizetype>(i)];
        if (std::string(expected[i].first) == "-") {
            EXPECT_TRUE(action->isSeparator()) << i;
            continue;
        }
        EXPECT_EQ(Std(action->objectName()), expected[i].first);
        EXPECT_EQ(Std(action->toolTip()), expected[i].second);
        EXPECT_FALSE(action->icon().isNull()) << expected[i].first;
        EXPECT_FALSE(action->icon().pixmap(20, 20).isNull()) << expected[i].first;
    }
}

TEST_F(MenusTest, StatusBarHasFivePanelsWithTheirTooltips) {
    const char* tips[] = {"Status", "Caps lock state", "Insert key state", "Jet Engine user name",
                          "Date when program started"};
    for (int i = 1; i <= 5; ++i) {
        ASSERT_NE(Window().StatusPanel(i), nullptr);
        EXPECT_EQ(Std(Window().StatusPanel(i)->toolTip()), tips[i - 1]);
    }
    // The message panel is the widest.
    for (int i = 2; i <= 5; ++i) {
        EXPECT_GT(Window().StatusPanel(1)->width(), Window().StatusPanel(i)->width());
    }
}

TEST_F(MenusTest, MenuShortcutsReachTheMenusWhileTheEditorHasTheFocus) {
    auto* editor = Window().Editor().TextBox();
    Window().activateWindow();
    editor->setFocus();
    Settle();
    for (const char* name : {"mnuScriptExecute", "mnuEditSelectAll", "mnuEditFindNext",
                             "mnuHelpWeb", "mnuFilePrinterSU"}) {
        QAction* item = Window().MenuItem(name);
        QSignalSpy triggered(item, &QAction::triggered);
        if (std::string(name) == "mnuEditFindNext") {
            // No find text yet: Find next opens the find dialog.
            person_.Then([](QWidget* dialog) {
                EXPECT_EQ(Std(dialog->objectName()), "scriptfind");
                dialog->close();
            });
        }
        if (std::string(name) == "mnuFilePrinterSU") {
            // The page set-up dialog.
            person_.Then([](QWidget* dialog) { qobject_cast<QDialog*>(dialog)->reject(); });
        }
        // The find dialog of an earlier key took the activation away.
        Window().activateWindow();
        editor->setFocus();
        Settle();
        const QKeySequence keys = item->shortcut();
        QTest::keySequence(editor, keys);
        Settle();
        EXPECT_EQ(triggered.count(), 1) << name;
    }
}

// Every menu command is built; a command name the window does not know still gets the standard
// box instead of nothing.
TEST_F(MenusTest, ACommandNotInThisVersionSaysSoInTheStandardBox) {
    person_.PressInBox(QMessageBox::Ok);
    Window().RunMenuCommand("mnuNoSuchCommand");
    Settle();
    ASSERT_EQ(person_.boxes.size(), 1u);
    EXPECT_EQ(person_.boxes[0].icon, QMessageBox::Critical);
    EXPECT_EQ(Std(person_.boxes[0].caption), "Ollam Quillet script editor");
    EXPECT_NE(Std(person_.boxes[0].text).find("\"mnuNoSuchCommand\""), std::string::npos);
    EXPECT_EQ(Std(person_.boxes[0].text).rfind("3251: ", 0), 0u);
}

TEST_F(MenusTest, ToolbarButtonsRunTheirMenuCommands) {
    QSignalSpy find(Window().MenuItem("mnuEditFind"), &QAction::triggered);
    person_.Then([](QWidget* dialog) {
        EXPECT_EQ(Std(dialog->windowTitle()), "Find script");
        dialog->close();
    });
    Window().ToolbarButton("find")->trigger();
    Settle();
    EXPECT_TRUE(person_.AllAnswered());
    EXPECT_EQ(find.count(), 0);  // the button runs the command, not the menu item
    // An unknown key does nothing.
    Window().ToolbarButtonClick("unknown");
}

TEST_F(MenusTest, ARightClickOnTheToolbarDropsTheFileMenuDown) {
    QWidget* button = Window().Toolbar()->widgetForAction(Window().ToolbarButton("save"));
    ASSERT_NE(button, nullptr);
    QTest::mouseClick(button, Qt::RightButton);
    Settle();
    QMenu* file = Window().Menu("mnuFile");
    EXPECT_TRUE(file->isVisible());
    file->close();
    Settle();
    // A left click runs the button's command instead.
    QSignalSpy save(Window().ToolbarButton("save"), &QAction::triggered);
    QTest::mouseClick(button, Qt::LeftButton);
    Settle();
    EXPECT_EQ(save.count(), 1);
}

}  // namespace
}  // namespace tessel::test::gui
