// The ODBC registration dialog "ODBCnew" as dbMake under the ODBC connection type shows it: a
// person fills it in and presses OK, the data source is registered, and the driver manager's
// own tool lists it. The driver manager works on the tests' own configuration
// (core/odbc_environment.h), never on the user's data sources.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "app/dialogs/odbc_registration_dialog.h"
#include "app/widget_ui.h"
#include "core/odbc_environment.h"
#include "core/script/recordset_file.h"
#include "gui_support.h"

namespace tessel::test::gui {
namespace {

class OdbcRegistrationDialogTest : public MainWindowTest {
  protected:
    void SetUp() override {
        if (!odbc.Missing().empty())
            GTEST_SKIP() << "the ODBC drivers are not installed: apt-get install" << odbc.Missing();
        odbc.ForgetDataSources();
    }
    void TearDown() override { odbc.ForgetDataSources(); }

    std::string Listed() const { return odbc.Run("odbcinst -q -s 2>/dev/null"); }

    const OdbcEnvironment& odbc = OdbcEnvironment::Get();
};

TEST_F(OdbcRegistrationDialogTest, AFilledDialogRegistersADataSourceThatTheDriverManagerLists) {
    const std::string file = Home() + "/parts.sqlite";
    ASSERT_EQ(Listed().find("[GuiParts]"), std::string::npos);
    person_.Then([file](QWidget* widget) {
        auto* dialog = qobject_cast<app::OdbcRegistrationDialog*>(widget);
        ASSERT_NE(dialog, nullptr) << Std(widget->objectName());
        EXPECT_EQ(Std(dialog->windowTitle()), "ODBC DSN Registeration");
        auto* name = dialog->findChild<QLineEdit*>("txtDSN");
        auto* drivers = dialog->findChild<QComboBox*>("cboDrivers");
        auto* database = dialog->findChild<QLineEdit*>("txtDatabase");
        auto* server = dialog->findChild<QLineEdit*>("txtServer");
        auto* description = dialog->findChild<QLineEdit*>("txtDescrip");
        auto* ok = dialog->findChild<QPushButton*>("cmdOK");
        ASSERT_TRUE(name && drivers && database && server && description && ok);
        // The file's extension chose the driver whose name holds it.
        EXPECT_EQ(Std(database->text()), file);
        EXPECT_EQ(Std(drivers->currentText()), kSqliteDriver);
        EXPECT_NE(drivers->findText(kPostgresDriver), -1);
        EXPECT_FALSE(server->isEnabled());
        name->setText("GuiParts");
        description->setText("parts made by the test");
        ok->click();
    });
    Window().GetUi().SetEditorText("dbMake " + file + ";dbConnect ODBC;dbMake " + file + ";");
    Window().RunMenuCommand("mnuScriptExecute");
    Settle(50);
    EXPECT_TRUE(person_.boxes.empty());
    const std::string listed = Listed();
    EXPECT_NE(listed.find("[GuiParts]"), std::string::npos) << listed;
    // Written into the tests' own user file.
    EXPECT_NE(ReadBytes(odbc.UserIni()).find("GuiParts"), std::string::npos);

    // Its rows come back whole through the driver: a text longer than one read, a null, and
    // the next row's short text in the buffer the long one left.
    const std::string longText(5000, 'x');
    Window().GetUi().SetEditorText(
        "dbOpen GuiParts;CREATE TABLE t (a INTEGER, b TEXT);"
        "INSERT INTO t VALUES (1, '" +
        longText +
        "');INSERT INTO t VALUES (2, NULL);INSERT INTO t VALUES (3, "
        "'nut');SELECT a, b FROM t ORDER BY a;");
    Window().RunMenuCommand("mnuScriptExecute");
    Settle(50);
    EXPECT_TRUE(person_.boxes.empty());
    const auto recordset = RecordsetFile::Open(Sess().state.recordsets.recordsetFileName);
    ASSERT_EQ(recordset->RowCount(), 3);
    const auto rows = recordset->ReadRows(0, 3);
    EXPECT_EQ(rows[0][0].integer, 1);
    EXPECT_EQ(rows[0][1].bytes, longText);
    EXPECT_EQ(rows[1][1].kind, db::ValueView::Kind::Null);
    EXPECT_EQ(rows[2][1].bytes, "nut");
}

TEST_F(OdbcRegistrationDialogTest, CancelRegistersNothing) {
    person_.Then([](QWidget* widget) {
        auto* dialog = qobject_cast<app::OdbcRegistrationDialog*>(widget);
        ASSERT_NE(dialog, nullptr);
        dialog->findChild<QLineEdit*>("txtDSN")->setText("GuiNever");
        dialog->findChild<QPushButton*>("cmdCancel")->click();
    });
    Window().GetUi().SetEditorText("dbConnect ODBC;dbMake " + Home() + "/never.sqlite;");
    Window().RunMenuCommand("mnuScriptExecute");
    Settle(50);
    EXPECT_TRUE(person_.boxes.empty());
    EXPECT_EQ(Listed().find("[GuiNever]"), std::string::npos);
}

}  // namespace
}  // namespace tessel::test::gui
