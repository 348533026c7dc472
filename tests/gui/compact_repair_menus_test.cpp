// Tools > Compact MDB and Tools > Repair MDB in the main window: the file dialogs, the
// encryption question with the password prompt, and the status panel.
#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <filesystem>

#include "app/dialogs/password_dialog.h"
#include "app/main_window.h"
#include "core/db/errors.h"
#include "gui_support.h"

namespace tessel::test::gui {
namespace {

class CompactRepairMenusTest : public MainWindowTest {
  protected:
    std::string MakeDatabase(const std::string& name) {
        const std::string path = Home() + "/" + name;
        Sess().engine.CreateDatabase(path, ";LANGID=0x0409;CP=1252;COUNTRY=0", 32);
        return path;
    }
    std::string Panel() { return Std(Window().StatusPanel(1)->text()); }
};

TEST_F(CompactRepairMenusTest, CompactSevenAsksForBothFilesAndEncryption) {
    const std::string source = MakeDatabase("shop.mdb");
    const std::string destination = Home() + "/copy.mdb";
    person_.ChooseInFileDialog(QString::fromStdString(source));
    person_.ChooseInFileDialog(QString::fromStdString(destination));
    person_.PressInBox(QMessageBox::No);
    Window().RunMenuCommand("mnuToolsCMDB7");
    Settle();
    EXPECT_TRUE(person_.AllAnswered());
    ASSERT_EQ(person_.fileDialogTitles.size(), 2u);
    EXPECT_EQ(Std(person_.fileDialogTitles[0]), "Select Microsoft Access file to compact");
    EXPECT_EQ(Std(person_.fileDialogTitles[1]), "Select Microsoft Access file to compact too");
    ASSERT_EQ(person_.boxes.size(), 1u);
    EXPECT_EQ(Std(person_.boxes[0].text), "Encrypt compacted database");
    EXPECT_EQ(Std(person_.boxes[0].caption), "Encrypt MDB");
    EXPECT_EQ(person_.boxes[0].icon, QMessageBox::Information);
    EXPECT_EQ(Panel(), "Compacted: copy.mdb");
    EXPECT_EQ(Sess().engine.OpenDatabase(destination, false, false, "")->Version(), "3.0");
}

TEST_F(CompactRepairMenusTest, CompactTwoWithEncryptionAsksForThePassword) {
    const std::string source = MakeDatabase("shop.mdb");
    const std::string destination = Home() + "/old.mdb";
    person_.ChooseInFileDialog(QString::fromStdString(source));
    person_.ChooseInFileDialog(QString::fromStdString(destination));
    person_.PressInBox(QMessageBox::Yes);
    person_.Then([](QWidget* widget) {
        auto* dialog = qobject_cast<app::PasswordDialog*>(widget);
        ASSERT_NE(dialog, nullptr);
        dialog->txtPassword()->setText("k3y");
        dialog->cmdOK()->click();
    });
    Window().RunMenuCommand("mnuToolsCMDB2");
    Settle();
    EXPECT_TRUE(person_.AllAnswered());
    EXPECT_EQ(Panel(), "Compacted: old.mdb");
    try {
        Sess().engine.OpenDatabase(destination, false, false, "");
        ADD_FAILURE() << "the encrypted copy opened without its password";
    } catch (const db::EngineError& error) {
        EXPECT_EQ(error.Number(), db::err::kBadPassword);
    }
    EXPECT_EQ(Sess().engine.OpenDatabase(destination, false, false, ";pwd=k3y")->Version(), "2.0");
}

TEST_F(CompactRepairMenusTest, RepairNamesTheFileInTheStatusPanel) {
    const std::string path = MakeDatabase("fine.mdb");
    person_.ChooseInFileDialog(QString::fromStdString(path));
    Window().RunMenuCommand("mnuToolsRepair");
    Settle();
    EXPECT_TRUE(person_.AllAnswered());
    ASSERT_EQ(person_.fileDialogTitles.size(), 1u);
    EXPECT_EQ(Std(person_.fileDialogTitles[0]), "Select Microsoft Access file to repair");
    EXPECT_TRUE(person_.boxes.empty());
    EXPECT_EQ(Panel(), "fine.mdb repaired");
}

}  // namespace
}  // namespace tessel::test::gui
