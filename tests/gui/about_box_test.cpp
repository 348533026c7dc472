// The about box: its texts, OK, and "&System Info" with and without a system information
// program on the machine.
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <cstdlib>
#include <filesystem>

#include "app/dialogs/about_dialog.h"
#include "gui_support.h"

namespace tessel::test::gui {
namespace {

namespace fs = std::filesystem;

// PATH replaced for one test, so that the system information program is found (or not)
// only where the test put it.
class ScopedPath {
  public:
    explicit ScopedPath(const std::string& path) {
        const char* old = std::getenv("PATH");
        old_ = old != nullptr ? old : "";
        setenv("PATH", path.c_str(), 1);
    }
    ~ScopedPath() { setenv("PATH", old_.c_str(), 1); }

  private:
    std::string old_;
};

class AboutBoxTest : public MainWindowTest {};

TEST_F(AboutBoxTest, HelpAboutShowsTheProgramsTextsModally) {
    bool seen = false;
    person_.Then([&seen](QWidget* widget) {
        auto* about = qobject_cast<app::AboutDialog*>(widget);
        ASSERT_NE(about, nullptr) << Std(widget->objectName());
        seen = true;
        EXPECT_EQ(Std(about->objectName()), "sqlabout");
        EXPECT_TRUE(about->isModal());
        EXPECT_EQ(Std(about->windowTitle()), "About Ollam Quillet script editor");
        EXPECT_EQ(Std(about->lblTitle()->text()), "Ollam Quillet script editor");
        EXPECT_TRUE(QRegularExpression("^Version \\d+\\.\\d+\\.\\d+$")
                        .match(about->lblVersion()->text())
                        .hasMatch())
            << Std(about->lblVersion()->text());
        if (sizeof(void*) == 8) {
            EXPECT_EQ(Std(about->lblPlatform()->text()), "For 64-bit Linux platforms");
        }
        EXPECT_EQ(Std(about->lblCopyright()->text()),
                  "Copyright \u00a9 2026 Ollam. All rights reserved.");
        EXPECT_NE(Std(about->lblDisclaimer()->text()).find("Unauthorised copying"),
                  std::string::npos);
        EXPECT_EQ(Std(about->cmdOK()->text()), "OK");
        EXPECT_EQ(Std(about->cmdSysInfo()->text()), "&System Info");
        QTest::mouseClick(about->cmdOK(), Qt::LeftButton);
        EXPECT_FALSE(about->isVisible());
    });
    Window().RunMenuCommand("mnuHelpAbout");
    Settle();
    EXPECT_TRUE(seen);
}

TEST_F(AboutBoxTest, TheToolbarsAboutButtonShowsTheBoxToo) {
    QString caption;
    person_.Then([&caption](QWidget* widget) {
        caption = widget->windowTitle();
        qobject_cast<QDialog*>(widget)->accept();
    });
    Window().ToolbarButton("about")->trigger();
    Settle();
    EXPECT_EQ(Std(caption), "About Ollam Quillet script editor");
}

TEST_F(AboutBoxTest, WithoutASystemInformationProgramSystemInfoSaysItIsUnavailable) {
    TempDir emptyBin;
    ScopedPath path(emptyBin.Path().string());
    app::AboutDialog about({}, &Window());
    person_.PressInBox(QMessageBox::Ok);
    QTest::mouseClick(about.cmdSysInfo(), Qt::LeftButton);
    Settle();
    ASSERT_EQ(person_.boxes.size(), 1u);
    EXPECT_EQ(Std(person_.boxes[0].text), "System Information Is Unavailable At This Time");
    EXPECT_EQ(person_.boxes[0].icon, QMessageBox::NoIcon);
    EXPECT_EQ(person_.boxes[0].buttons, QList<QMessageBox::StandardButton>{QMessageBox::Ok});
}

TEST_F(AboutBoxTest, SystemInfoStartsTheSystemInformationProgramFoundOnThePath) {
    TempDir bin;
    const std::string marker = bin.File("started");
    const std::string program = bin.File("hardinfo");
    WriteBytes(program, "#!/bin/sh\necho \"$@\" > '" + marker + "'\n");
    fs::permissions(program, fs::perms::owner_all);
    ScopedPath path(bin.Path().string() + ":/usr/bin:/bin");
    // The about box as the program makes it: the program really starts.
    app::AboutDialog about({}, &Window());
    QTest::mouseClick(about.cmdSysInfo(), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(fs::exists(marker), 5000);
    EXPECT_TRUE(person_.boxes.empty());
}

TEST_F(AboutBoxTest, AProgramThatCannotStartIsNamedInACriticalBox) {
    TempDir bin;
    const std::string program = bin.File("kinfocenter");
    WriteBytes(program, "#!/bin/sh\n");
    fs::permissions(program, fs::perms::owner_all);
    ScopedPath path(bin.Path().string());
    app::AboutDialog about({[](const QUrl&) { return false; },
                            [](const QString&, const QStringList&) { return false; }},
                           &Window());
    person_.PressInBox(QMessageBox::Ok);
    about.StartSysInfo();
    Settle();
    ASSERT_EQ(person_.boxes.size(), 1u);
    EXPECT_EQ(Std(person_.boxes[0].text),
              "The system information program " + program + " could not be started.");
    EXPECT_EQ(person_.boxes[0].icon, QMessageBox::Critical);
}

}  // namespace
}  // namespace tessel::test::gui
