// The Edit menu on the script editor: the find dialog and Find next over the editor's text,
// Edit > Delete and its line-end rule (and its acting only on the control in focus), the
// clipboard commands, and the key indicators.
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTableView>
#include <QTest>
#include <QTreeWidget>

#include "app/browse/database_tree_pane.h"
#include "app/browse/recordset_list_pane.h"
#include "app/browse/recordset_view_pane.h"
#include "app/widget_ui.h"
#include "app/workspace/find_dialog.h"
#include "app/workspace/script_editor.h"
#include "gui_support.h"

namespace tessel::test::gui {
namespace {

class EditTest : public MainWindowTest {
  protected:
    app::ScriptEditorPane& Ed() { return Window().Editor(); }

    void SetText(const std::string& text, int caret) {
        Window().GetUi().SetEditorText(text);
        Ed().SetSelection(caret, 0);
    }

    // Opens the find dialog and, inside it, types `text`, picks the direction and the case,
    // presses Find `finds` times, then Cancel.
    // `boxes` "Cannot find" boxes are expected on the way and answered with OK.
    void FindInDialog(const QString& text, bool down, bool matchCase, int finds, int boxes = 0) {
        person_.Then([=, this](QWidget* widget) {
            auto* dialog = qobject_cast<app::FindDialog*>(widget);
            ASSERT_NE(dialog, nullptr);
            dialog->txtFind()->setText(text);
            QTest::mouseClick(dialog->optDirection(down ? 1 : 0), Qt::LeftButton);
            if (dialog->chkCase()->isChecked() != matchCase) {
                QTest::mouseClick(dialog->chkCase(), Qt::LeftButton);
            }
            for (int i = 0; i < finds; ++i)
                dialog->cmdFind()->click();
            dialog->cmdcancel()->click();
        });
        for (int i = 0; i < boxes; ++i)
            person_.PressInBox(QMessageBox::Ok);
        Window().RunMenuCommand("mnuEditFind");
        Settle();
    }

    std::pair<int, int> Selection() { return {Ed().SelectionStart(), Ed().SelectionLength()}; }
};

TEST_F(EditTest, TheFindDialogHasItsControlsAndStartsWithFindDisabled) {
    person_.Then([](QWidget* widget) {
        auto* dialog = qobject_cast<app::FindDialog*>(widget);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(Std(dialog->windowTitle()), "Find script");
        EXPECT_FALSE(dialog->cmdFind()->isEnabled());
        EXPECT_TRUE(dialog->cmdFind()->isDefault());
        EXPECT_EQ(Std(dialog->cmdFind()->text()), "&Find");
        EXPECT_EQ(Std(dialog->cmdFind()->toolTip()), "Start Search");
        EXPECT_EQ(Std(dialog->cmdcancel()->text()), "Cancel");
        EXPECT_EQ(Std(dialog->cmdcancel()->toolTip()), "Closes the dialogue window");
        EXPECT_EQ(Std(dialog->txtFind()->toolTip()), "Text to Find");
        EXPECT_EQ(Std(dialog->chkCase()->text()), "Match &Case");
        EXPECT_EQ(Std(dialog->chkCase()->toolTip()), "Case Sensitivity");
        EXPECT_EQ(Std(dialog->optDirection(1)->text()), "&Down");
        EXPECT_EQ(Std(dialog->optDirection(1)->toolTip()), "Search to End of Document");
        EXPECT_EQ(Std(dialog->optDirection(0)->text()), "&Up");
        EXPECT_EQ(Std(dialog->optDirection(0)->toolTip()), "Search to Beginning of Document");
        EXPECT_TRUE(dialog->optDirection(1)->isChecked());
        dialog->txtFind()->setText("x");
        EXPECT_TRUE(dialog->cmdFind()->isEnabled());
        dialog->txtFind()->clear();
        EXPECT_FALSE(dialog->cmdFind()->isEnabled());
        dialog->close();
    });
    SetText("abab", 0);
    Window().RunMenuCommand("mnuEditFind");
}

TEST_F(EditTest, DownwardSearchThenFindNextThenCannotFind) {
    SetText("abab", 0);
    FindInDialog("ab", true, false, 1);
    EXPECT_EQ(Selection(), std::make_pair(0, 2));
    Window().RunMenuCommand("mnuEditFindNext");
    EXPECT_EQ(Selection(), std::make_pair(2, 2));
    person_.PressInBox(QMessageBox::Ok);
    Window().RunMenuCommand("mnuEditFindNext");
    ASSERT_EQ(person_.boxes.size(), 1u);
    EXPECT_EQ(Std(person_.boxes[0].text), "Cannot find \"ab\"");
    EXPECT_EQ(Std(person_.boxes[0].caption), "Ollam Quillet script editor");
    EXPECT_EQ(person_.boxes[0].icon, QMessageBox::NoIcon);
    EXPECT_EQ(person_.boxes[0].buttons, QList<QMessageBox::StandardButton>{QMessageBox::Ok});
    EXPECT_EQ(Selection(), std::make_pair(2, 2));
}

TEST_F(EditTest, UpwardSearchFromTheEnd) {
    SetText("abab", 4);
    FindInDialog("ab", false, false, 1);
    EXPECT_EQ(Selection(), std::make_pair(2, 2));
    Window().RunMenuCommand("mnuEditFindNext");
    EXPECT_EQ(Selection(), std::make_pair(0, 2));
    person_.PressInBox(QMessageBox::Ok);
    Window().RunMenuCommand("mnuEditFindNext");
    ASSERT_EQ(person_.boxes.size(), 1u);
    EXPECT_EQ(Std(person_.boxes[0].text), "Cannot find \"ab\"");
}

TEST_F(EditTest, MatchCaseDecidesWhetherUpperCaseTextMatches) {
    SetText("abab", 0);
    FindInDialog("AB", true, false, 2);
    EXPECT_EQ(Selection(), std::make_pair(2, 2));

    SetText("abab", 0);
    FindInDialog("AB", true, true, 1, 1);
    ASSERT_EQ(person_.boxes.size(), 1u);
    // The text as typed, not upper-cased.
    EXPECT_EQ(Std(person_.boxes[0].text), "Cannot find \"AB\"");
    EXPECT_TRUE(Sess().state.find.matchCase);
}

TEST_F(EditTest, UpwardAtTheBeginningCannotFindAndLeavesTheCaret) {
    SetText("abab", 0);
    FindInDialog("ab", false, false, 1, 1);
    ASSERT_EQ(person_.boxes.size(), 1u);
    EXPECT_EQ(Selection(), std::make_pair(0, 0));
}

TEST_F(EditTest, FirstUpwardSearchLooksBeforeTheCaret) {
    SetText("xab", 3);
    FindInDialog("b", false, false, 1, 1);
    EXPECT_EQ(person_.boxes.size(), 1u);
    SetText("xab", 3);
    FindInDialog("ab", false, false, 1);
    EXPECT_EQ(Selection(), std::make_pair(1, 2));
}

TEST_F(EditTest, FindNextWithoutSearchTextOpensTheDialog) {
    person_.Then([](QWidget* widget) {
        EXPECT_EQ(Std(widget->objectName()), "scriptfind");
        widget->close();
    });
    Window().RunMenuCommand("mnuEditFindNext");
    EXPECT_TRUE(person_.AllAnswered());
}

TEST_F(EditTest, TheDialogStartsWithTheSelectedTextAndTheStoredCase) {
    SetText("select x from y", 0);
    Ed().SetSelection(7, 1);
    Sess().state.find.matchCase = true;
    person_.Then([](QWidget* widget) {
        auto* dialog = qobject_cast<app::FindDialog*>(widget);
        EXPECT_EQ(Std(dialog->txtFind()->text()), "x");
        EXPECT_TRUE(dialog->cmdFind()->isEnabled());
        EXPECT_TRUE(dialog->chkCase()->isChecked());
        dialog->close();
    });
    Window().RunMenuCommand("mnuEditFind");
    // The close box does not store the text.
    EXPECT_EQ(Sess().state.find.findText, "");
}

TEST_F(EditTest, DeleteRemovesALineEndAsOneAndDoesNothingAtTheEnd) {
    SetText("ab\r\ncd", 2);
    Window().activateWindow();
    Ed().TextBox()->setFocus();
    Window().RunMenuCommand("mnuEditDelete");
    EXPECT_EQ(Ed().Text(), "abcd");
    Ed().SetSelection(4, 0);
    Window().RunMenuCommand("mnuEditDelete");
    EXPECT_EQ(Ed().Text(), "abcd");
    Ed().SetSelection(1, 2);
    Window().RunMenuCommand("mnuEditDelete");
    EXPECT_EQ(Ed().Text(), "ad");
}

// A run that leaves a database in the tree and a recordset in both result panes; the editor
// then holds `text` with the caret at its start.
class EditDeleteFocusTest : public EditTest {
  protected:
    void RunWithResults(const std::string& text) {
        Window().GetUi().SetEditorText(
            "dbMake shop;\r\nCREATE TABLE T (A LONG);\r\nINSERT INTO T VALUES (1);\r\n"
            "SELECT A FROM T;\r\n");
        Window().RunMenuCommand("mnuScriptExecute");
        Settle();
        SetText(text, 0);
        Window().activateWindow();
    }
};

TEST_F(EditDeleteFocusTest, DeleteInTheDatabaseTreeLeavesTheScriptAlone) {
    RunWithResults("keep this");
    QTreeWidget* tree = Window().TreePane().Tree();
    ASSERT_GT(tree->topLevelItemCount(), 0);
    tree->setCurrentItem(tree->topLevelItem(0));
    tree->setFocus();
    Window().RunMenuCommand("mnuEditDelete");
    EXPECT_EQ(Ed().Text(), "keep this");
    EXPECT_GT(tree->topLevelItemCount(), 0);
    EXPECT_TRUE(person_.boxes.empty());
}

TEST_F(EditDeleteFocusTest, DeleteInTheRecordsetListLeavesTheScriptAndTheRowAlone) {
    RunWithResults("keep this");
    QTableView* grid = Window().ListPane().Grid();
    ASSERT_GT(grid->model()->rowCount(), 1);
    grid->setCurrentIndex(grid->model()->index(1, 0));
    const QString cell = grid->model()->index(1, 1).data().toString();
    grid->setFocus();
    Window().RunMenuCommand("mnuEditDelete");
    EXPECT_EQ(Ed().Text(), "keep this");
    EXPECT_EQ(grid->model()->rowCount(), 2);
    EXPECT_EQ(grid->model()->index(1, 1).data().toString(), cell);
}

TEST_F(EditDeleteFocusTest, DeleteInTheRecordsetViewLeavesTheScriptAlone) {
    RunWithResults("keep this");
    QTableView* grid = Window().ViewPane().Grid();
    ASSERT_GT(grid->model()->rowCount(), 0);
    grid->setCurrentIndex(grid->model()->index(0, 0));
    grid->setFocus();
    Window().RunMenuCommand("mnuEditDelete");
    EXPECT_EQ(Ed().Text(), "keep this");
    EXPECT_EQ(grid->model()->rowCount(), 1);
}

TEST_F(EditTest, DeleteInAFocusedLineEditDeletesItsSelectionNotTheScript) {
    SetText("keep this", 0);
    auto* line = new QLineEdit(Window().statusBar());
    line->setText("abcdef");
    line->show();
    Window().activateWindow();
    line->setFocus();
    line->setSelection(1, 2);
    Window().RunMenuCommand("mnuEditDelete");
    EXPECT_EQ(Std(line->text()), "adef");
    Window().RunMenuCommand("mnuEditDelete");
    EXPECT_EQ(Std(line->text()), "aef");
    line->setReadOnly(true);
    Window().RunMenuCommand("mnuEditDelete");
    EXPECT_EQ(Std(line->text()), "aef");
    EXPECT_EQ(Ed().Text(), "keep this");
}

TEST_F(EditTest, CutCopyPasteAndSelectAllWorkOnTheEditor) {
    SetText("one two", 0);
    Ed().SetSelection(4, 3);
    Window().RunMenuCommand("mnuEditCopy");
    EXPECT_EQ(Std(QApplication::clipboard()->text()), "two");
    Window().RunMenuCommand("mnuEditCut");
    EXPECT_EQ(Ed().Text(), "one ");
    Ed().SetSelection(0, 3);
    Window().RunMenuCommand("mnuEditPaste");
    EXPECT_EQ(Ed().Text(), "two ");
    Window().RunMenuCommand("mnuEditSelectAll");
    EXPECT_EQ(Selection(), std::make_pair(0, 4));
    EXPECT_TRUE(Sess().state.editor.scriptChanged);
}

TEST_F(EditTest, CapsLockAndInsertToggleTheirPanels) {
    auto* box = Ed().TextBox();
    QTest::keyClick(box, Qt::Key_CapsLock);
    EXPECT_EQ(Std(Window().StatusPanel(2)->text()), "CAPS");
    QTest::keyClick(box, Qt::Key_CapsLock);
    EXPECT_EQ(Std(Window().StatusPanel(2)->text()), "");
    QTest::keyClick(box, Qt::Key_Insert);
    EXPECT_EQ(Std(Window().StatusPanel(3)->text()), "INS");
    QTest::keyClick(box, Qt::Key_Insert);
    EXPECT_EQ(Std(Window().StatusPanel(3)->text()), "");
    // The keys pass on: the text box still inserts.
    QTest::keyClicks(box, "ab");
    EXPECT_NE(Ed().Text().find("ab"), std::string::npos);
}

}  // namespace
}  // namespace tessel::test::gui
