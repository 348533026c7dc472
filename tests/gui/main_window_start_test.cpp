// Start-up: the application directory, the status bar panels and the start script.
#include <QAbstractButton>
#include <QDate>
#include <QLabel>
#include <QMessageBox>
#include <QSettings>
#include <QTest>
#include <filesystem>
#include <fstream>

#include "app/main_window.h"
#include "app/startup/splash_window.h"
#include "app/startup/tips_setting.h"
#include "app/widget_ui.h"
#include "app/workspace/script_editor.h"
#include "core/files/file_commands.h"
#include "gui_support.h"

namespace tessel::test::gui {
namespace {

namespace fs = std::filesystem;

class StartTest : public MainWindowTest {};

TEST_F(StartTest, TheLoadHandlerFillsTheStatusBarAndLoadsTheStartScript) {
    EXPECT_EQ(Std(Window().StatusPanel(2)->text()), "");
    EXPECT_EQ(Std(Window().StatusPanel(3)->text()), "");
    EXPECT_EQ(Std(Window().StatusPanel(4)->text()), "User: admin");
    EXPECT_EQ(Window().StatusPanel(5)->text(), QDate::currentDate().toString("dd/MM/yyyy"));
    EXPECT_EQ(Sess().state.editor.currentScriptFileName, "template.sqv");
    EXPECT_FALSE(Sess().state.editor.scriptChanged);
    EXPECT_EQ(Sess().state.current.versionIndex, 3);
    EXPECT_EQ(Sess().state.current.connectionType, "Access");
    EXPECT_EQ(Sess().state.find.direction, 1);
    EXPECT_FALSE(Sess().state.current.databaseOpen);
    // The start script is the seeded template, byte for byte apart from the added line end.
    const std::string seeded = ReadBytes(Home() + "/template.sqv");
    ASSERT_FALSE(seeded.empty());
    EXPECT_EQ(Window().Editor().Text(), seeded);
}

TEST_F(StartTest, ExportAndScriptsDirectoriesExistAfterStart) {
    EXPECT_TRUE(fs::is_directory(Home() + "/export"));
    EXPECT_TRUE(fs::is_directory(Home() + "/scripts"));
}

TEST_F(StartTest, AMissingScriptsDirectoryIsCreatedAtStart) {
    window_.reset();
    fs::remove_all(Home() + "/scripts");
    window_ = std::make_unique<app::MainWindow>(app::MainWindowOptions{false});
    window_->Load(Home());
    EXPECT_TRUE(fs::is_directory(Home() + "/scripts"));
}

TEST_F(StartTest, TheEditorUsesAFixedPitchFontWithoutWordWrap) {
    auto* box = Window().Editor().TextBox();
    EXPECT_EQ(Std(box->objectName()), "txtSQLStatement");
    EXPECT_EQ(box->lineWrapMode(), QPlainTextEdit::NoWrap);
    EXPECT_EQ(box->font().pointSize(), 10);
    // What the program asks for, not what the machine resolves it to: a machine without Courier
    // New may hand over a font that calls itself proportional.
    EXPECT_EQ(Std(box->font().family()), "Courier New");
    EXPECT_EQ(box->font().styleHint(), QFont::TypeWriter);
    EXPECT_TRUE(box->font().fixedPitch());
}

TEST_F(StartTest, ColouringTheTextDoesNotMarkItChanged) {
    Window().GetUi().SetEditorText("SELECT 'a' FROM t; // note");
    Sess().state.editor.scriptChanged = false;
    Settle(50);
    EXPECT_FALSE(Sess().state.editor.scriptChanged);
    EXPECT_EQ(Window().Editor().Text(), "SELECT 'a' FROM t; // note");
}

TEST_F(StartTest, EveryChangeOfTheTextSetsTheChangedFlag) {
    QTest::keyClicks(Window().Editor().TextBox(), "x");
    EXPECT_TRUE(Sess().state.editor.scriptChanged);
}

TEST(SplashTest, ThePictureWindowIsBorderlessAndItsTimerHandsOver) {
    app::SplashWindow splash;
    EXPECT_EQ(splash.size(), QSize(600, 300));
    EXPECT_TRUE(splash.windowFlags() & Qt::FramelessWindowHint);
    splash.ShowNow();
    bool handedOver = false;
    splash.StartTimer(10, [&] { handedOver = true; });
    EXPECT_TRUE(splash.isVisible());
    QTRY_VERIFY_WITH_TIMEOUT(handedOver, 2000);
    EXPECT_FALSE(splash.isVisible());
    EXPECT_FALSE(splash.Timer().isActive());
    const QImage picture = splash.grab().toImage();
    // Not one colour: the picture was drawn.
    EXPECT_NE(picture.pixel(10, 10), picture.pixel(300, 100));
}

TEST(SplashTest, StepsBackForABoxShownDuringStartAndHandsOverOnceItIsAnswered) {
    app::SplashWindow splash;
    splash.ShowNow();
    QMessageBox box(QMessageBox::Critical, "Ollam Quillet script editor", "Can't open file");
    box.show();
    // The splash stays on top of everything, so it must be gone before the box can be read.
    EXPECT_FALSE(splash.isVisible());
    EXPECT_TRUE(splash.SteppedBack());
    box.close();

    bool handedOver = false;
    splash.StartTimer(60000, [&] { handedOver = true; });
    QTRY_VERIFY_WITH_TIMEOUT(handedOver, 2000);
    EXPECT_FALSE(splash.isVisible());
}

// The start as the program runs it, over an application directory that cannot be made: the
// error box must not sit behind the splash, and the main window follows once it is answered.
TEST(SplashTest, AStartUpErrorBoxIsNeverHiddenBehindTheSplash) {
    TempDir home;
    std::ofstream(home.File("taken")) << "a file where the directory should be";
    ModalPerson person;
    app::SplashWindow splash;
    splash.ShowNow();
    app::MainWindow window(app::MainWindowOptions{false});
    bool splashShownWithTheBox = true;
    QString boxText;
    person.Then([&](QWidget* widget) {
        splashShownWithTheBox = splash.isVisible();
        auto* box = qobject_cast<QMessageBox*>(widget);
        ASSERT_NE(box, nullptr);
        boxText = box->text();
        box->button(QMessageBox::Ok)->click();
    });
    window.Load(home.File("taken") + "/home");
    EXPECT_TRUE(person.AllAnswered()) << "no box at start";
    EXPECT_FALSE(splashShownWithTheBox);
    EXPECT_NE(Std(boxText).find("taken"), std::string::npos) << Std(boxText);

    bool handedOver = false;
    splash.StartTimer(app::SplashWindow::kShowMilliseconds, [&] {
        handedOver = true;
        window.ShowAfterSplash();
    });
    QTRY_VERIFY_WITH_TIMEOUT(handedOver, 1000);
    EXPECT_TRUE(window.isVisible());
}

TEST(SplashTest, AWindowThatIsNotABoxLeavesTheSplashInPlace) {
    app::SplashWindow splash;
    splash.ShowNow();
    QWidget other;
    other.show();
    EXPECT_TRUE(splash.isVisible());
    EXPECT_FALSE(splash.SteppedBack());
}

TEST(TipsSettingTest, ReadsOneByDefaultAndKeepsWhatIsSaved) {
    TempDir config;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                       QString::fromStdString(config.Path().string()));
    EXPECT_TRUE(app::ShowTipsAtStartup());
    app::SetShowTipsAtStartup(false);
    EXPECT_FALSE(app::ShowTipsAtStartup());
    QSettings stored(QSettings::NativeFormat, QSettings::UserScope, "Tessel", "Tessel");
    EXPECT_EQ(Std(stored.value("Options/Show Tips at Startup").toString()), "0");
    app::SetShowTipsAtStartup(true);
    EXPECT_TRUE(app::ShowTipsAtStartup());
}

}  // namespace
}  // namespace tessel::test::gui
