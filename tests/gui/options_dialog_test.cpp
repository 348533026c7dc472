// Tools > Options: the connection type, the ODBC dialogue switch, the time-outs with their
// checks, and the script font with Apply, OK and Cancel, as a person drives the dialog. The
// fonts are those the program asks for, not those the machine resolves.
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <filesystem>

#include "app/dialogs/options_dialog.h"
#include "app/dialogs/timeout_text.h"
#include "app/widget_ui.h"
#include "app/workspace/script_editor.h"
#include "core/db/errors.h"
#include "gui_support.h"

namespace tessel::test::gui {
namespace {

using B = QMessageBox;

class OptionsDialogTest : public MainWindowTest {
  protected:
    ~OptionsDialogTest() override { delete dialog_; }

    // The dialog as Tools > Options makes it, shown without blocking so that the test can act
    // in it; its message boxes are answered by the person.
    app::OptionsDialog& Open() {
        delete dialog_;
        dialog_ = new app::OptionsDialog(
            Sess(), Window().Editor(), &Window(), [this](const QFont& shown, QWidget*) {
                fontRequests_.push_back(shown);
                std::optional<QFont> answer =
                    fontAnswers_.empty() ? std::nullopt : fontAnswers_.front();
                if (!fontAnswers_.empty())
                    fontAnswers_.erase(fontAnswers_.begin());
                return answer;
            });
        dialog_->setModal(false);
        dialog_->show();
        QApplication::setActiveWindow(dialog_);
        Settle(10);
        EXPECT_TRUE(dialog_->isActiveWindow());
        return *dialog_;
    }

    // Types `text` into `box` as a person would, replacing what it held.
    static void TypeInto(QLineEdit* box, const QString& text) {
        // A message box that closed may leave the activation of the dialog still on its way.
        QApplication::setActiveWindow(box->window());
        box->setFocus();
        Settle(5);
        box->selectAll();
        QTest::keyClick(box, Qt::Key_Delete);
        QTest::keyClicks(box, text);
    }

    // Leaves the box with the Tab key and lets its check run.
    void TabAway(QLineEdit* box) {
        QTest::keyClick(box, Qt::Key_Tab);
        Settle(30);
    }

    void OpenDatabase() {
        Window().GetUi().SetEditorText("dbMake " + Home() + "/shop;");
        Window().RunMenuCommand("mnuScriptExecute");
        Settle(50);
        ASSERT_TRUE(Sess().state.current.databaseOpen);
    }

    QFont EditorFont() { return Window().Editor().TextBox()->font(); }

    app::OptionsDialog* dialog_ = nullptr;
    std::vector<QFont> fontRequests_;
    std::vector<std::optional<QFont>> fontAnswers_;
};

QFont Font(const char* family, int points, bool bold, bool italic) {
    QFont font(family, points);
    font.setBold(bold);
    font.setItalic(italic);
    return font;
}

TEST_F(OptionsDialogTest, OpensWithTheSessionsValuesAndThePartsTexts) {
    app::OptionsDialog& dialog = Open();
    EXPECT_EQ(Std(dialog.windowTitle()), "Tool setup options");
    EXPECT_EQ(Std(dialog.objectName()), "ToolsOptions");
    ASSERT_EQ(dialog.cboConnect()->count(), 21);
    EXPECT_EQ(Std(dialog.cboConnect()->itemText(0)), "Access 1.0");
    EXPECT_EQ(Std(dialog.cboConnect()->itemText(7)), "Dbase V");
    EXPECT_EQ(Std(dialog.cboConnect()->itemText(16)), "Paradox 3.x");
    EXPECT_EQ(Std(dialog.cboConnect()->itemText(20)), "Text Files");
    EXPECT_EQ(dialog.cboConnect()->currentIndex(), 3);
    EXPECT_FALSE(dialog.cmdApply()->isEnabled());
    EXPECT_TRUE(dialog.opODBCs()->isChecked());
    EXPECT_FALSE(dialog.opODBCh()->isChecked());
    // The engine's own login time-out; no query time-out without a database.
    EXPECT_EQ(Std(dialog.txtLogin()->text()), std::to_string(Sess().engine.LoginTimeout()));
    EXPECT_EQ(Std(dialog.txtQuery()->text()), "");
    EXPECT_EQ(Std(dialog.lblFont()->text()), "Courier New");
    EXPECT_EQ(dialog.lblFont()->font().pointSize(), 10);
    EXPECT_EQ(Std(dialog.lblFontSize()->text()), "Font size: 10");

    EXPECT_EQ(Std(dialog.cmdCnnDefault()->text()), "&Reset default");
    EXPECT_EQ(Std(dialog.cmdCnnDefault()->toolTip()),
              "Resets the database back to default Microsoft Access version 3.0 (7.x)");
    EXPECT_EQ(Std(dialog.cmdFonts()->text()), "Select &font");
    EXPECT_EQ(Std(dialog.cmdDefault()->toolTip()),
              "Resets the script text font back to default Courier New size 10");
    EXPECT_EQ(Std(dialog.cmdApply()->toolTip()),
              "Does not close the dialogue window but applies any settings made forthwith");
    EXPECT_EQ(Std(dialog.cmdOK()->toolTip()), "Closes dialogue window with any settings made");
    EXPECT_EQ(Std(dialog.opODBCh()->text()), "Hide");
    EXPECT_EQ(Std(dialog.opODBCs()->text()), "Show");
    auto* odbcLabel = dialog.findChild<QLabel*>("lblODBC");
    ASSERT_NE(odbcLabel, nullptr);
    EXPECT_EQ(Std(odbcLabel->text()), "ODBC registry dialogue:");
    auto* timeouts = dialog.findChild<QWidget*>("fmTimeouts");
    ASSERT_NE(timeouts, nullptr);
    EXPECT_EQ(Std(timeouts->property("title").toString()), "Timeout (seconds)");
}

TEST_F(OptionsDialogTest, TheMenuItemShowsTheDialogModally) {
    bool seen = false;
    person_.Then([&seen](QWidget* widget) {
        auto* dialog = qobject_cast<app::OptionsDialog*>(widget);
        ASSERT_NE(dialog, nullptr) << Std(widget->objectName());
        seen = dialog->isModal() && dialog->cboConnect()->count() == 21;
        dialog->cmdCancel()->click();
    });
    Window().RunMenuCommand("mnuToolsOptions");
    EXPECT_TRUE(seen);
}

TEST_F(OptionsDialogTest, AQueryTimeOutWithoutADatabaseIsRefusedAndEmptied) {
    app::OptionsDialog& dialog = Open();
    TypeInto(dialog.txtQuery(), "30");
    person_.PressInBox(B::Ok);
    TabAway(dialog.txtQuery());
    ASSERT_EQ(person_.boxes.size(), 1u);
    EXPECT_EQ(Std(person_.boxes[0].text), "No open database");
    EXPECT_EQ(Std(person_.boxes[0].caption), "Invalid entry error");
    EXPECT_EQ(person_.boxes[0].icon, B::Warning);
    EXPECT_EQ(Std(dialog.txtQuery()->text()), "");
    // The focus may leave.
    EXPECT_NE(dialog.focusWidget(), dialog.txtQuery());
}

TEST_F(OptionsDialogTest, ANegativeOrNonNumericQueryTimeOutKeepsTheFocus) {
    OpenDatabase();
    const int current = Sess().state.current.queryTimeout;
    app::OptionsDialog& dialog = Open();
    EXPECT_EQ(Std(dialog.txtQuery()->text()), std::to_string(current));
    for (const char* typed : {"-1", "abc"}) {
        TypeInto(dialog.txtQuery(), typed);
        person_.PressInBox(B::Ok);
        TabAway(dialog.txtQuery());
        ASSERT_FALSE(person_.boxes.empty()) << typed;
        EXPECT_EQ(Std(person_.boxes.back().text), "Please enter number greater and equal to 0");
        EXPECT_EQ(Std(person_.boxes.back().caption), "Invalid entry error");
        EXPECT_EQ(dialog.focusWidget(), dialog.txtQuery()) << typed;
        EXPECT_TRUE(dialog.cmdApply()->isEnabled());
    }
    // The current value again: nothing to apply.
    TypeInto(dialog.txtQuery(), QString::number(current));
    TabAway(dialog.txtQuery());
    EXPECT_FALSE(dialog.cmdApply()->isEnabled());
    EXPECT_NE(dialog.focusWidget(), dialog.txtQuery());
    TypeInto(dialog.txtQuery(), "45");
    TabAway(dialog.txtQuery());
    EXPECT_TRUE(dialog.cmdApply()->isEnabled());
    EXPECT_EQ(person_.boxes.size(), 2u);
}

TEST_F(OptionsDialogTest, ApplySetsTheQueryTimeOutOfTheOpenDatabase) {
    OpenDatabase();
    app::OptionsDialog& dialog = Open();
    TypeInto(dialog.txtQuery(), "45");
    // Leaving the box with a new value makes Apply available.
    EXPECT_FALSE(dialog.cmdApply()->isEnabled());
    TabAway(dialog.txtQuery());
    dialog.cmdApply()->click();
    EXPECT_EQ(Sess().state.current.queryTimeout, 45);
    EXPECT_EQ(Sess().state.current.currentDatabase->QueryTimeout(), 45);
    EXPECT_FALSE(dialog.cmdApply()->isEnabled());
    EXPECT_TRUE(dialog.isVisible());
}

TEST_F(OptionsDialogTest, ALoginTimeOutIsRoundedToTheEvenNeighbourAndEmptyAppliesZero) {
    app::OptionsDialog& dialog = Open();
    TypeInto(dialog.txtLogin(), "2.5");
    TabAway(dialog.txtLogin());
    dialog.cmdApply()->click();
    EXPECT_EQ(Sess().engine.LoginTimeout(), 2);
    EXPECT_EQ(Sess().state.engineObjects.loginTimeout, 2);
    TypeInto(dialog.txtLogin(), "3.5");
    TabAway(dialog.txtLogin());
    dialog.cmdApply()->click();
    EXPECT_EQ(Sess().engine.LoginTimeout(), 4);
    TypeInto(dialog.txtLogin(), "");
    dialog.cmdOK()->click();
    EXPECT_EQ(Sess().engine.LoginTimeout(), 0);
    EXPECT_EQ(Sess().state.engineObjects.loginTimeout, 0);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_TRUE(person_.boxes.empty());
}

TEST_F(OptionsDialogTest, LeavingTheLoginBoxWithItsValueLeavesNothingToApply) {
    app::OptionsDialog& dialog = Open();
    const int login = Sess().engine.LoginTimeout();
    TypeInto(dialog.txtLogin(), QString::number(login));
    TabAway(dialog.txtLogin());
    EXPECT_FALSE(dialog.cmdApply()->isEnabled());
    TypeInto(dialog.txtLogin(), QString::number(login + 1));
    TabAway(dialog.txtLogin());
    EXPECT_TRUE(dialog.cmdApply()->isEnabled());
    TypeInto(dialog.txtLogin(), "-0.5");
    person_.PressInBox(B::Ok);
    TabAway(dialog.txtLogin());
    ASSERT_EQ(person_.boxes.size(), 1u);
    EXPECT_EQ(Std(person_.boxes[0].text), "Please enter number greater and equal to 0");
    EXPECT_EQ(dialog.focusWidget(), dialog.txtLogin());
}

TEST_F(OptionsDialogTest, ApplyRefusesATimeOutThatIsNoNumberAndAppliesNothing) {
    app::OptionsDialog& dialog = Open();
    const int login = Sess().engine.LoginTimeout();
    dialog.cboConnect()->setCurrentIndex(6);
    emit dialog.cboConnect()->activated(6);
    TypeInto(dialog.txtLogin(), "ten");
    // A click on OK leaves the focus in the box: the check runs once, from OK.
    person_.PressInBox(B::Ok);
    QTest::mouseClick(dialog.cmdOK(), Qt::LeftButton);
    Settle(30);
    ASSERT_EQ(person_.boxes.size(), 1u);
    EXPECT_EQ(Std(person_.boxes[0].text), "Please enter number greater and equal to 0");
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.focusWidget(), dialog.txtLogin());
    EXPECT_EQ(Sess().engine.LoginTimeout(), login);
    EXPECT_EQ(Sess().state.current.connectionType, "Access");
}

TEST_F(OptionsDialogTest, APickedTypeChangesTheIndexAtOnceAndItsTextOnlyWithApplyOrOk) {
    app::OptionsDialog& dialog = Open();
    dialog.cboConnect()->setCurrentIndex(6);
    emit dialog.cboConnect()->activated(6);
    EXPECT_EQ(Sess().state.current.versionIndex, 6);
    EXPECT_TRUE(dialog.cmdApply()->isEnabled());
    dialog.cmdCancel()->click();
    EXPECT_EQ(Sess().state.current.versionIndex, 6);
    EXPECT_EQ(Sess().state.current.connectionType, "Access");

    app::OptionsDialog& again = Open();
    EXPECT_EQ(Std(again.cboConnect()->currentText()), "Dbase IV");
    again.cmdOK()->click();
    EXPECT_EQ(Sess().state.current.connectionType, "Dbase IV;");
}

TEST_F(OptionsDialogTest, TheConnectionResetChoosesAccessThreeAndShow) {
    Sess().state.odbc.odbcSilent = true;
    app::OptionsDialog& dialog = Open();
    EXPECT_TRUE(dialog.opODBCh()->isChecked());
    dialog.cboConnect()->setCurrentIndex(19);
    emit dialog.cboConnect()->activated(19);
    dialog.cmdCnnDefault()->click();
    EXPECT_EQ(dialog.cboConnect()->currentIndex(), 3);
    EXPECT_EQ(Sess().state.current.versionIndex, 3);
    EXPECT_TRUE(dialog.opODBCs()->isChecked());
    EXPECT_FALSE(dialog.cmdApply()->isEnabled());
    // The flag itself follows at OK.
    EXPECT_TRUE(Sess().state.odbc.odbcSilent);
    dialog.cmdOK()->click();
    EXPECT_FALSE(Sess().state.odbc.odbcSilent);
}

TEST_F(OptionsDialogTest, HideWithOkMakesRegistrationSilentForThisRunOnly) {
    app::OptionsDialog& dialog = Open();
    dialog.opODBCh()->click();
    EXPECT_TRUE(dialog.cmdApply()->isEnabled());
    EXPECT_FALSE(Sess().state.odbc.odbcSilent);
    dialog.cmdOK()->click();
    EXPECT_TRUE(Sess().state.odbc.odbcSilent);
    // The next start shows the driver's dialogue again.
    app::MainWindow next(app::MainWindowOptions{false});
    next.Load(Home());
    EXPECT_FALSE(next.GetSession().state.odbc.odbcSilent);
}

TEST_F(OptionsDialogTest, TheFontResetChangesTheEditorAtOnceEvenWhenCancelled) {
    Window().Editor().SetScriptFont(Font("DejaVu Sans", 14, true, true));
    app::OptionsDialog& dialog = Open();
    EXPECT_EQ(Std(dialog.lblFont()->text()), "DejaVu Sans");
    EXPECT_TRUE(dialog.lblFont()->font().bold());
    EXPECT_EQ(dialog.lblFont()->font().pointSize(), 10);
    EXPECT_EQ(Std(dialog.lblFontSize()->text()), "Font size: 14");
    dialog.opODBCh()->click();
    dialog.cmdDefault()->click();
    EXPECT_EQ(Std(EditorFont().family()), "Courier New");
    EXPECT_EQ(EditorFont().pointSize(), 10);
    EXPECT_FALSE(EditorFont().bold());
    EXPECT_FALSE(EditorFont().italic());
    EXPECT_EQ(Std(dialog.lblFont()->text()), "Courier New");
    EXPECT_EQ(Std(dialog.lblFontSize()->text()), "Font size: 10");
    // The reset also takes the ODBC choice.
    EXPECT_TRUE(Sess().state.odbc.odbcSilent);
    EXPECT_FALSE(dialog.cmdApply()->isEnabled());
    dialog.cmdCancel()->click();
    EXPECT_EQ(Std(EditorFont().family()), "Courier New");
}

TEST_F(OptionsDialogTest, AChosenFontReachesTheEditorOnlyWithApply) {
    Window().Editor().SetScriptFont(Font("Courier New", 12, false, true));
    app::OptionsDialog& dialog = Open();
    fontAnswers_.push_back(Font("DejaVu Serif", 15, true, false));
    dialog.cmdFonts()->click();
    // The font dialog was shown the editor's name, size, bold and italic.
    ASSERT_EQ(fontRequests_.size(), 1u);
    EXPECT_EQ(Std(fontRequests_[0].family()), "Courier New");
    EXPECT_EQ(fontRequests_[0].pointSize(), 12);
    EXPECT_FALSE(fontRequests_[0].bold());
    EXPECT_TRUE(fontRequests_[0].italic());
    EXPECT_EQ(Std(dialog.lblFont()->text()), "DejaVu Serif");
    // Drawn in the editor's face with the chosen bold and italic.
    EXPECT_EQ(Std(dialog.lblFont()->font().family()), "Courier New");
    EXPECT_TRUE(dialog.lblFont()->font().bold());
    EXPECT_FALSE(dialog.lblFont()->font().italic());
    EXPECT_EQ(Std(dialog.lblFontSize()->text()), "Font size: 15");
    EXPECT_TRUE(dialog.cmdApply()->isEnabled());
    EXPECT_EQ(Std(EditorFont().family()), "Courier New");
    EXPECT_EQ(EditorFont().pointSize(), 12);

    dialog.cmdApply()->click();
    EXPECT_EQ(Std(EditorFont().family()), "DejaVu Serif");
    EXPECT_EQ(EditorFont().pointSize(), 15);
    EXPECT_TRUE(EditorFont().bold());
    EXPECT_FALSE(EditorFont().italic());
    EXPECT_FALSE(dialog.cmdApply()->isEnabled());
}

TEST_F(OptionsDialogTest, CancellingTheFontDialogForgetsAnEarlierChoice) {
    app::OptionsDialog& dialog = Open();
    fontAnswers_.push_back(Font("DejaVu Serif", 15, false, false));
    fontAnswers_.push_back(std::nullopt);
    dialog.cmdFonts()->click();
    dialog.cmdFonts()->click();
    // The labels keep the choice; the editor does not get it.
    EXPECT_EQ(Std(dialog.lblFont()->text()), "DejaVu Serif");
    dialog.cmdOK()->click();
    EXPECT_EQ(Std(EditorFont().family()), "Courier New");
    EXPECT_EQ(EditorFont().pointSize(), 10);
    EXPECT_TRUE(person_.boxes.empty());
}

TEST_F(OptionsDialogTest, ATimeOutTooLargeForTheEngineFailsAfterFontAndTypeWereApplied) {
    app::OptionsDialog& dialog = Open();
    const int login = Sess().engine.LoginTimeout();
    fontAnswers_.push_back(Font("DejaVu Serif", 11, false, false));
    dialog.cmdFonts()->click();
    dialog.cboConnect()->setCurrentIndex(20);
    emit dialog.cboConnect()->activated(20);
    TypeInto(dialog.txtLogin(), "32768");
    person_.PressInBox(B::Ok);
    dialog.cmdOK()->click();
    Settle(10);
    ASSERT_EQ(person_.boxes.size(), 1u);
    EXPECT_EQ(person_.boxes[0].icon, B::Critical);
    EXPECT_EQ(Std(person_.boxes[0].text).rfind("6: ", 0), 0u) << Std(person_.boxes[0].text);
    EXPECT_NE(Std(person_.boxes[0].text).find("32768"), std::string::npos);
    EXPECT_EQ(Std(person_.boxes[0].caption), kErrorSource);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(Std(EditorFont().family()), "DejaVu Serif");
    EXPECT_EQ(Sess().state.current.connectionType, "Text;");
    EXPECT_EQ(Sess().engine.LoginTimeout(), login);
    // The largest value the engine takes is applied.
    TypeInto(dialog.txtLogin(), "32767.4");
    dialog.cmdOK()->click();
    EXPECT_EQ(Sess().engine.LoginTimeout(), 32767);
}

TEST(TimeoutTextTest, ATextStandsForItsLeadingNumber) {
    EXPECT_EQ(app::LeadingNumber(""), 0);
    EXPECT_EQ(app::LeadingNumber("abc"), 0);
    EXPECT_EQ(app::LeadingNumber(" 2.5 s"), 2.5);
    EXPECT_EQ(app::LeadingNumber("-3x"), -3);
    EXPECT_EQ(app::LeadingNumber("1e2 seconds"), 100);
    EXPECT_EQ(app::LeadingNumber("&H10"), 16);
    EXPECT_EQ(app::LeadingNumber("."), 0);
    EXPECT_TRUE(app::IsNumberText(" 30 "));
    EXPECT_TRUE(app::IsNumberText("2.5"));
    EXPECT_FALSE(app::IsNumberText("2.5 s"));
    EXPECT_FALSE(app::IsNumberText("abc"));
    EXPECT_FALSE(app::IsNumberText(""));
    EXPECT_EQ(app::WholeValue("0.5"), 0);
    EXPECT_EQ(app::WholeValue("1.5"), 2);
    EXPECT_EQ(app::WholeValue("2.5"), 2);
    EXPECT_EQ(app::WholeValue("2.51"), 3);
    EXPECT_EQ(app::Whole16("-32768", "login time-out"), -32768);
    EXPECT_EQ(app::Whole16("32767.4", "login time-out"), 32767);
    for (const char* tooLarge : {"32767.5", "-32769", "1e10"}) {
        try {
            app::Whole16(tooLarge, "login time-out");
            ADD_FAILURE() << tooLarge << " was taken";
        } catch (const db::EngineError& error) {
            EXPECT_EQ(error.Number(), db::err::kOverflow) << tooLarge;
            EXPECT_NE(error.Description().find("login time-out"), std::string::npos);
        }
    }
}

}  // namespace
}  // namespace tessel::test::gui
