// The tip of the day: shown after the splash when the setting says so and from Help > Show tip
// of day, one line of the tips file at a time, and its check box kept as the setting.
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QTest>
#include <filesystem>
#include <set>

#include "app/dialogs/tip_of_day_dialog.h"
#include "app/startup/help_commands.h"
#include "app/startup/tips_setting.h"
#include "gui_support.h"

namespace tessel::test::gui {
namespace {

namespace fs = std::filesystem;

class TipOfDayTest : public MainWindowTest {
  protected:
    TipOfDayTest() {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                           QString::fromStdString(settings_.Path().string()));
    }

    std::string StoredSetting() const {
        QSettings stored(QSettings::NativeFormat, QSettings::UserScope, "Tessel", "Tessel");
        return Std(stored.value("Options/Show Tips at Startup").toString());
    }

    app::TipOfDayDialog* TipWindow() {
        return Window().findChild<app::TipOfDayDialog*>("TODquill");
    }

    void WriteTips(const std::string& bytes) { WriteBytes(Home() + "/tipofday.txt", bytes); }

    TempDir settings_;
};

TEST_F(TipOfDayTest, AfterTheSplashTheTipWindowShowsATipFromTheFile) {
    WriteTips("Press Ctrl+E to run the script.\r\nF3 finds the next match.\r\n");
    Window().hide();
    Window().ShowAfterSplash();
    Settle();
    EXPECT_TRUE(Window().isVisible());
    app::TipOfDayDialog* tips = TipWindow();
    ASSERT_NE(tips, nullptr);
    EXPECT_TRUE(tips->isVisible());
    EXPECT_FALSE(tips->isModal());
    EXPECT_EQ(Std(tips->windowTitle()), "Tip of the Day");
    EXPECT_EQ(Std(tips->lblHeading()->text()), "Did you know...");
    EXPECT_EQ(Std(tips->chkLoadTipsAtStartup()->text()), "&Show Tips at Startup");
    EXPECT_TRUE(tips->chkLoadTipsAtStartup()->isChecked());
    EXPECT_EQ(Std(tips->cmdNextTip()->text()), "&Next Tip");
    EXPECT_EQ(Std(tips->cmdOK()->text()), "OK");
    EXPECT_EQ(Std(tips->lblTipText()->font().family()), "Verdana");
    ASSERT_EQ(tips->Tips().size(), 2);
    const std::string shown = Std(tips->lblTipText()->text());
    EXPECT_TRUE(shown == "Press Ctrl+E to run the script." || shown == "F3 finds the next match.")
        << shown;
}

TEST_F(TipOfDayTest, NextTipShowsEveryLineAndNothingElse) {
    WriteTips("first\nsecond\nthird");
    Window().ShowAfterSplash();
    Settle();
    app::TipOfDayDialog* tips = TipWindow();
    ASSERT_NE(tips, nullptr);
    std::set<std::string> seen;
    for (int i = 0; i < 200 && seen.size() < 3; ++i) {
        QTest::mouseClick(tips->cmdNextTip(), Qt::LeftButton);
        const std::string shown = Std(tips->lblTipText()->text());
        EXPECT_TRUE(shown == "first" || shown == "second" || shown == "third") << shown;
        EXPECT_GE(tips->CurrentTip(), 1);
        EXPECT_LE(tips->CurrentTip(), 3);
        seen.insert(shown);
    }
    EXPECT_EQ(seen.size(), 3u);
}

TEST_F(TipOfDayTest, EmptyLinesAreTipsAndTheLastLineNeedsNoEnd) {
    WriteTips("a\r\n\r\nb\xe9");  // the last line in Windows-1252
    Window().ShowAfterSplash();
    Settle();
    app::TipOfDayDialog* tips = TipWindow();
    ASSERT_NE(tips, nullptr);
    ASSERT_EQ(tips->Tips().size(), 3);
    EXPECT_EQ(Std(tips->Tips()[0]), "a");
    EXPECT_EQ(Std(tips->Tips()[1]), "");
    EXPECT_EQ(Std(tips->Tips()[2]), "b\u00e9");
}

TEST_F(TipOfDayTest, AMissingTipsFileIsExplainedInTheTipLabel) {
    fs::remove(Home() + "/tipofday.txt");
    Window().ShowAfterSplash();
    Settle();
    app::TipOfDayDialog* tips = TipWindow();
    ASSERT_NE(tips, nullptr);
    EXPECT_EQ(Std(tips->lblTipText()->text()),
              "An error has occured because the tipofday.txt file was not found? You will need "
              "to Uninstall this SQL scripting program and then install it again to recover the "
              "tipofday.txt file.");
    EXPECT_TRUE(tips->Tips().isEmpty());
}

TEST_F(TipOfDayTest, AnEmptyTipsFileLeavesTheLabelsOwnText) {
    WriteTips("");
    Window().ShowAfterSplash();
    Settle();
    app::TipOfDayDialog* tips = TipWindow();
    ASSERT_NE(tips, nullptr);
    EXPECT_TRUE(tips->Tips().isEmpty());
    EXPECT_EQ(Std(tips->lblTipText()->text()), "The tips file holds no tips.");
    QTest::mouseClick(tips->cmdNextTip(), Qt::LeftButton);
    EXPECT_EQ(Std(tips->lblTipText()->text()), "The tips file holds no tips.");
}

TEST_F(TipOfDayTest, AnUnreadableTipsFileSaysSoInsteadOfCallingItMissing) {
    if (geteuid() == 0)
        GTEST_SKIP() << "root reads every file";
    WriteTips("one tip\n");
    fs::permissions(Home() + "/tipofday.txt", fs::perms::none);
    Window().ShowAfterSplash();
    Settle();
    app::TipOfDayDialog* tips = TipWindow();
    ASSERT_NE(tips, nullptr);
    const std::string shown = Std(tips->lblTipText()->text());
    EXPECT_EQ(shown.rfind("The tips file " + Home() + "/tipofday.txt could not be read: ", 0), 0u)
        << shown;
}

TEST_F(TipOfDayTest, WithTheSettingOffNoTipAppearsUntilHelpShowTipOfDayTurnsItOn) {
    app::SetShowTipsAtStartup(false);
    Window().hide();
    Window().ShowAfterSplash();
    Settle();
    EXPECT_TRUE(Window().isVisible());
    EXPECT_EQ(TipWindow(), nullptr);

    Window().RunMenuCommand("mnuHelpTOD");
    Settle();
    EXPECT_EQ(StoredSetting(), "1");
    ASSERT_NE(TipWindow(), nullptr);
    EXPECT_TRUE(TipWindow()->isVisible());
    EXPECT_TRUE(TipWindow()->chkLoadTipsAtStartup()->isChecked());
}

TEST_F(TipOfDayTest, TheCheckBoxIsTheSettingAndOkClosesTheWindow) {
    Window().RunMenuCommand("mnuHelpTOD");
    Settle();
    app::TipOfDayDialog* tips = TipWindow();
    ASSERT_NE(tips, nullptr);
    QCheckBox* check = tips->chkLoadTipsAtStartup();
    // On the box itself, at its left end.
    const QPoint box(6, check->height() / 2);
    QTest::mouseClick(check, Qt::LeftButton, {}, box);
    EXPECT_FALSE(check->isChecked());
    EXPECT_EQ(StoredSetting(), "0");
    EXPECT_FALSE(app::ShowTipsAtStartup());
    QTest::mouseClick(check, Qt::LeftButton, {}, box);
    EXPECT_EQ(StoredSetting(), "1");
    QTest::mouseClick(check, Qt::LeftButton, {}, box);
    EXPECT_EQ(StoredSetting(), "0");

    QTest::mouseClick(tips->cmdOK(), Qt::LeftButton);
    EXPECT_FALSE(tips->isVisible());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(TipWindow(), nullptr);  // closed and gone
    // The next start shows no tip.
    Window().ShowAfterSplash();
    Settle();
    EXPECT_EQ(TipWindow(), nullptr);
}

TEST_F(TipOfDayTest, ChoosingTheCommandAgainBringsTheOpenWindowForward) {
    Window().RunMenuCommand("mnuHelpTOD");
    Settle();
    Window().RunMenuCommand("mnuHelpTOD");
    Settle();
    EXPECT_EQ(Window().findChildren<app::TipOfDayDialog*>().size(), 1);
}

}  // namespace
}  // namespace tessel::test::gui
