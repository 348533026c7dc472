// The keep-local dialog and the synchronisation options dialog: their captions, the moves
// between the lists, what OK and Cancel hand back.
#include <QGroupBox>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

#include "app/dialogs/synch_opts_dialog.h"
#include "app/dialogs/tables_keep_dialog.h"
#include "gui_support.h"

namespace tessel::test::gui {
namespace {

using app::SynchOptsDialog;
using app::TablesKeepDialog;

QStringList Items(QListWidget* list) {
    QStringList items;
    for (int row = 0; row < list->count(); ++row)
        items << list->item(row)->text();
    return items;
}

void Select(QListWidget* list, int row) {
    list->setCurrentRow(row);
    list->item(row)->setSelected(true);
}

TEST(TablesKeepDialogTest, TwoTablesMovedRightAreHandedOverWithOk) {
    std::vector<std::string> written;
    TablesKeepDialog dialog({"Customers", "Notes", "Prices"},
                            [&](const std::vector<std::string>& tables) {
                                written = tables;
                                return true;
                            });
    EXPECT_EQ(dialog.windowTitle(), "Design Master replication keep local property settings");
    EXPECT_EQ(dialog.findChild<QGroupBox*>("fmKeepLocal")->title(),
              "Select tables to be prevented used in replication from Design Master");
    EXPECT_EQ(dialog.findChild<QGroupBox*>("Frame1")->title(), "Selected local tables");
    EXPECT_EQ(dialog.cmdAdd()->text(), ">");
    EXPECT_TRUE(dialog.cmdOK()->isDefault());
    // Nothing selected: nothing moves.
    dialog.lstSourceList()->setCurrentRow(-1);
    dialog.cmdAdd()->click();
    EXPECT_EQ(dialog.lstDestList()->count(), 0);
    Select(dialog.lstSourceList(), 2);
    dialog.cmdAdd()->click();
    Select(dialog.lstSourceList(), 1);
    dialog.cmdAdd()->click();
    EXPECT_EQ(Items(dialog.lstSourceList()), QStringList{"Customers"});
    EXPECT_EQ(Items(dialog.lstDestList()), (QStringList{"Prices", "Notes"}));
    Select(dialog.lstDestList(), 0);
    dialog.cmdDeduct()->click();
    Select(dialog.lstSourceList(), 1);
    dialog.cmdAdd()->click();
    dialog.cmdOK()->click();
    EXPECT_EQ(written, (std::vector<std::string>{"Notes", "Prices"}));
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

TEST(TablesKeepDialogTest, ARefusedOkKeepsTheDialogOpenAndCancelWritesNothing) {
    int calls = 0;
    TablesKeepDialog dialog({"Customers"}, [&](const std::vector<std::string>&) {
        ++calls;
        return false;
    });
    dialog.show();
    Select(dialog.lstSourceList(), 0);
    dialog.cmdAdd()->click();
    dialog.cmdOK()->click();
    EXPECT_EQ(calls, 1);
    EXPECT_TRUE(dialog.isVisible());
    dialog.cmdCancel()->click();
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(dialog.lstDestList()->count(), 0);
    EXPECT_FALSE(dialog.isVisible());
}

TEST(SynchOptsDialogTest, CaptionsNameTheFilesAndOkGivesTheChosenDirection) {
    SynchOptsDialog dialog("a.mdb", "b.mdb");
    EXPECT_EQ(dialog.windowTitle(), "Synchronisation options");
    EXPECT_EQ(dialog.findChild<QGroupBox*>("fmSynchOps")->title(),
              "Synchronised data exchange direction selection");
    EXPECT_EQ(dialog.OptChanges(0)->text(), "Update changes from a.mdb into b.mdb");
    EXPECT_EQ(dialog.OptChanges(1)->text(), "Update changes from b.mdb into a.mdb");
    EXPECT_EQ(dialog.OptChanges(2)->text(), "Exchange updated changes between them above");
    EXPECT_TRUE(dialog.OptChanges(2)->isChecked());
    EXPECT_FALSE(dialog.OKButton()->isDefault());
    dialog.OptChanges(1)->setChecked(true);
    dialog.OKButton()->click();
    EXPECT_EQ(dialog.Direction(), 2);

    SynchOptsDialog first("a.mdb", "b.mdb");
    first.OptChanges(0)->setChecked(true);
    first.OKButton()->click();
    EXPECT_EQ(first.Direction(), 1);

    SynchOptsDialog cancelled("a.mdb", "b.mdb");
    cancelled.OptChanges(0)->setChecked(true);
    cancelled.CancelButton()->click();
    EXPECT_EQ(cancelled.Direction(), 4);
}

}  // namespace
}  // namespace tessel::test::gui
