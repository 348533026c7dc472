// The widgets behind the core's Ui: message boxes from style numbers, file dialogs from
// requests, the password prompt, status panel 1, the busy pointer and the tree reloads.
#include <QApplication>
#include <QCursor>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTreeWidget>

#include "app/browse/database_tree_pane.h"
#include "app/dialogs/file_dialog.h"
#include "app/dialogs/message_box.h"
#include "app/dialogs/password_dialog.h"
#include "app/widget_ui.h"
#include "core/ui.h"
#include "gui_support.h"

namespace tessel::test::gui {
namespace {

using B = QMessageBox;

TEST(MessageBoxStyleTest, ButtonsIconsAndDefaultsFollowTheStyleNumber) {
    app::MessageBoxLayout ok = app::LayoutForStyle(0);
    EXPECT_EQ(ok.buttons, QList<B::StandardButton>{B::Ok});
    EXPECT_EQ(ok.icon, B::NoIcon);

    app::MessageBoxLayout critical = app::LayoutForStyle(16);
    EXPECT_EQ(critical.icon, B::Critical);
    EXPECT_EQ(critical.buttons, QList<B::StandardButton>{B::Ok});

    app::MessageBoxLayout question = app::LayoutForStyle(51);
    EXPECT_EQ(question.icon, B::Warning);
    EXPECT_EQ(question.buttons, (QList<B::StandardButton>{B::Yes, B::No, B::Cancel}));
    EXPECT_EQ(question.defaultButton, B::Yes);

    app::MessageBoxLayout repair = app::LayoutForStyle(52);
    EXPECT_EQ(repair.buttons, (QList<B::StandardButton>{B::Yes, B::No}));
    EXPECT_EQ(repair.icon, B::Warning);

    EXPECT_EQ(app::LayoutForStyle(32 + 4 + 256).defaultButton, B::No);
    EXPECT_EQ(app::LayoutForStyle(32 + 4 + 256).icon, B::Question);
    EXPECT_EQ(app::LayoutForStyle(3 + 512).defaultButton, B::Cancel);
    EXPECT_EQ(app::LayoutForStyle(64 + 1).buttons, (QList<B::StandardButton>{B::Ok, B::Cancel}));
    EXPECT_EQ(app::LayoutForStyle(64).icon, B::Information);
    EXPECT_EQ(app::LayoutForStyle(2).buttons,
              (QList<B::StandardButton>{B::Abort, B::Retry, B::Ignore}));
    EXPECT_EQ(app::LayoutForStyle(5).buttons, (QList<B::StandardButton>{B::Retry, B::Cancel}));
    // A default button beyond the set falls back to the first.
    EXPECT_EQ(app::LayoutForStyle(512).defaultButton, B::Ok);
}

TEST(MessageBoxStyleTest, AnswersAreTheClassicNumbers) {
    EXPECT_EQ(app::AnswerFor(B::Ok), msgbox::kOk);
    EXPECT_EQ(app::AnswerFor(B::Cancel), msgbox::kCancel);
    EXPECT_EQ(app::AnswerFor(B::Abort), msgbox::kAbort);
    EXPECT_EQ(app::AnswerFor(B::Retry), msgbox::kRetry);
    EXPECT_EQ(app::AnswerFor(B::Ignore), msgbox::kIgnore);
    EXPECT_EQ(app::AnswerFor(B::Yes), msgbox::kYes);
    EXPECT_EQ(app::AnswerFor(B::No), msgbox::kNo);
}

TEST(FileDialogTest, FiltersBecomeNameFilters) {
    EXPECT_EQ(app::NameFiltersFrom("SQL script files (*.sqv)|*.sqv|All Files (*.*)|*.*"),
              (QStringList{"SQL script files (*.sqv)", "All Files (*)"}));
    EXPECT_EQ(app::NameFiltersFrom("Access files|*.mdb;*.accdb"),
              QStringList{"Access files (*.mdb *.accdb)"});
    EXPECT_EQ(app::NameFiltersFrom(""), QStringList{"All Files (*)"});
}

TEST(FileDialogTest, RequestsSetTitleModeOverwritePromptAndExtension) {
    TempDir dir;
    FileDialogRequest request;
    request.kind = FileDialogRequest::Kind::Save;
    request.title = "Save SQL script file";
    request.filter = "SQL script files (*.sqv)|*.sqv|All Files (*.*)|*.*";
    request.filterIndex = 2;
    request.flags = 6;
    request.initialDirectory = dir.Path().string();
    request.defaultExtension = "SQV";
    QFileDialog dialog;
    app::ConfigureFileDialog(dialog, request);
    EXPECT_EQ(Std(dialog.windowTitle()), "Save SQL script file");
    EXPECT_EQ(dialog.acceptMode(), QFileDialog::AcceptSave);
    EXPECT_FALSE(dialog.testOption(QFileDialog::DontConfirmOverwrite));
    EXPECT_EQ(Std(dialog.defaultSuffix()), "SQV");
    EXPECT_EQ(Std(dialog.selectedNameFilter()), "All Files (*)");
    EXPECT_EQ(dialog.directory().absolutePath().toStdString(), dir.Path().string());

    request.kind = FileDialogRequest::Kind::Open;
    request.flags = 4 + 4096;
    QFileDialog open;
    app::ConfigureFileDialog(open, request);
    EXPECT_EQ(open.acceptMode(), QFileDialog::AcceptOpen);
    EXPECT_EQ(open.fileMode(), QFileDialog::ExistingFile);
    EXPECT_TRUE(open.testOption(QFileDialog::DontConfirmOverwrite));
}

class WidgetUiTest : public MainWindowTest {
  protected:
    app::WidgetUi& Ui() { return Window().GetUi(); }
};

TEST_F(WidgetUiTest, MessageBoxesShowTextStyleAndCaptionAndAnswer) {
    person_.PressInBox(B::No);
    EXPECT_EQ(Ui().MessageBox("Damaged.\r\n\r\nAttempt to Repair it?", 52, "Quillet"), msgbox::kNo);
    person_.PressInBox(B::Ok);
    EXPECT_EQ(Ui().MessageBox("3024: Not found", 16, "Tessel engine"), msgbox::kOk);
    ASSERT_EQ(person_.boxes.size(), 2u);
    EXPECT_EQ(Std(person_.boxes[0].text), "Damaged.\n\nAttempt to Repair it?");
    EXPECT_EQ(Std(person_.boxes[0].caption), "Quillet");
    EXPECT_EQ(person_.boxes[0].icon, B::Warning);
    EXPECT_EQ(person_.boxes[1].icon, B::Critical);
    EXPECT_EQ(Std(person_.boxes[1].caption), "Tessel engine");
}

TEST_F(WidgetUiTest, StatusTextGoesToPanelOne) {
    Ui().SetStatusText("Opening Database shop.mdb");
    EXPECT_EQ(Std(Window().StatusPanel(1)->text()), "Opening Database shop.mdb");
    Ui().SetStatusText("");
    EXPECT_EQ(Std(Window().StatusPanel(1)->text()), "");
}

TEST_F(WidgetUiTest, TheBusyPointerCoversTheProgramUntilTheDefaultReturns) {
    Ui().SetPointer(Pointer::Busy);
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    Ui().SetPointer(Pointer::Busy);
    Ui().SetPointer(Pointer::Default);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(WidgetUiTest, FileDialogsReturnTheTypedNameWithTheDefaultExtension) {
    FileDialogRequest request;
    request.kind = FileDialogRequest::Kind::Save;
    request.title = "Save SQL script file";
    request.filter = "SQL script files (*.sqv)|*.sqv|All Files (*.*)|*.*";
    request.initialDirectory = ScriptsDir();
    request.defaultExtension = "SQV";
    person_.ChooseInFileDialog(QString::fromStdString(ScriptsDir() + "/typed"));
    EXPECT_EQ(Ui().ChooseFile(request), ScriptsDir() + "/typed.SQV");
    person_.CancelFileDialog();
    EXPECT_EQ(Ui().ChooseFile(request), std::nullopt);
    EXPECT_EQ(Std(person_.fileDialogTitles.at(0)), "Save SQL script file");
}

TEST_F(WidgetUiTest, ThePasswordPromptReturnsTheTextOrNothingOnCancel) {
    person_.Then([](QWidget* widget) {
        auto* dialog = qobject_cast<app::PasswordDialog*>(widget);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(Std(dialog->windowTitle()), "Password Required");
        auto* label = dialog->findChild<QLabel*>("lblLabels0");
        ASSERT_NE(label, nullptr);
        EXPECT_EQ(Std(label->text()), "&Enter database password:");
        EXPECT_EQ(dialog->txtPassword()->echoMode(), QLineEdit::Password);
        EXPECT_EQ(Std(dialog->txtPassword()->toolTip()),
                  "Enter password characters you will need to specify and match exactly to "
                  "gain access to this Microsoft Jet database");
        EXPECT_EQ(Std(dialog->cmdOK()->text()), "&OK");
        EXPECT_EQ(Std(dialog->cmdOK()->toolTip()), "Closes dialogue window with any settings made");
        EXPECT_EQ(Std(dialog->cmdCancel()->text()), "&Cancel");
        EXPECT_EQ(Std(dialog->cmdCancel()->toolTip()),
                  "Closes the dialogue window and discards any settings made during the "
                  "dialogue window being shown");
        dialog->txtPassword()->setText("s3cret");
        dialog->cmdOK()->click();
    });
    EXPECT_EQ(Ui().AskPassword(), "s3cret");
    person_.Then([](QWidget* widget) {
        auto* dialog = qobject_cast<app::PasswordDialog*>(widget);
        ASSERT_NE(dialog, nullptr);
        dialog->txtPassword()->setText("typed then cancelled");
        dialog->cmdCancel()->click();
    });
    EXPECT_EQ(Ui().AskPassword(), "");
}

TEST_F(WidgetUiTest, ManyReloadRequestsRebuildTheTreeOnce) {
    QSignalSpy resets(Window().TreePane().Tree()->model(), &QAbstractItemModel::modelReset);
    for (int i = 0; i < 1000; ++i)
        Ui().ReloadTree();
    EXPECT_TRUE(Ui().TreeReloadPending());
    Settle(20);
    EXPECT_FALSE(Ui().TreeReloadPending());
    EXPECT_LE(resets.count(), 1);
    // A clear after a reload request wins: the tree stays empty.
    Ui().ReloadTree();
    Ui().ClearTree();
    EXPECT_FALSE(Ui().TreeReloadPending());
}

TEST_F(WidgetUiTest, ALongScriptLeavesTheTreeShowingTheDatabase) {
    std::string script = "dbmake many;\r\nCREATE TABLE t (a LONG);\r\n";
    for (int i = 0; i < 500; ++i)
        script += "INSERT INTO t VALUES (" + std::to_string(i) + ");\r\n";
    script += "CREATE TABLE u (b TEXT(10));\r\n";
    Ui().SetEditorText(script);
    Window().RunMenuCommand("mnuScriptExecute");
    Settle(20);
    QTreeWidget* tree = Window().TreePane().Tree();
    std::vector<std::string> texts;
    for (int i = 0; i < tree->topLevelItemCount(); ++i) {
        texts.push_back(Std(tree->topLevelItem(i)->text(0)));
    }
    EXPECT_NE(std::find(texts.begin(), texts.end(), "t"), texts.end());
    EXPECT_NE(std::find(texts.begin(), texts.end(), "u"), texts.end());
}

TEST_F(WidgetUiTest, IncludeSystemTablesFollowsTheMenuCheck) {
    QAction* item = Window().MenuItem("mnuToolsSysTbls");
    item->trigger();
    EXPECT_TRUE(item->isChecked());
    EXPECT_TRUE(Window().TreePane().IncludeSystemTables());
    item->trigger();
    EXPECT_FALSE(Window().TreePane().IncludeSystemTables());
}

TEST_F(WidgetUiTest, ThePrintButtonRunsThePrintingBoundToIt) {
    bool printed = false;
    Window().BindPrintNow([&] { printed = true; });
    Window().ToolbarButtonClick("print");
    EXPECT_TRUE(printed);
}

}  // namespace
}  // namespace tessel::test::gui
