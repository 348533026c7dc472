// Pictures of the tip of the day and of the about box as a person sees them, beside those of
// the main window (bench/screenshot.sh writes them to docs/screenshots).
#include <QImage>
#include <QLabel>
#include <QSettings>
#include <set>

#include "app/dialogs/about_dialog.h"
#include "app/dialogs/tip_of_day_dialog.h"
#include "gui_support.h"

namespace tessel::test::gui {
namespace {

class StartupScreensScreenshotTest : public MainWindowTest {
  protected:
    StartupScreensScreenshotTest() {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                           QString::fromStdString(settings_.Path().string()));
    }

    // Not one colour: something was drawn.
    static void ExpectDrawn(const std::string& path, const QWidget& widget) {
        const QImage picture(QString::fromStdString(path));
        ASSERT_FALSE(picture.isNull()) << path;
        EXPECT_EQ(picture.width(), widget.width() * static_cast<int>(widget.devicePixelRatio()));
        std::set<QRgb> colours;
        for (int y = 0; y < picture.height(); y += 4) {
            for (int x = 0; x < picture.width(); x += 4)
                colours.insert(picture.pixel(x, y));
        }
        EXPECT_GT(colours.size(), 4u) << path;
    }

    TempDir settings_;
};

TEST_F(StartupScreensScreenshotTest, TheTipOfTheDay) {
    WriteBytes(Home() + "/tipofday.txt", "Press Ctrl+E to run the whole script in the editor.\r\n");
    Window().ShowAfterSplash();
    Settle(50);
    auto* tips = Window().findChild<app::TipOfDayDialog*>("TODquill");
    ASSERT_NE(tips, nullptr);
    Settle(50);
    EXPECT_EQ(Std(tips->lblTipText()->text()),
              "Press Ctrl+E to run the whole script in the editor.");
    ExpectDrawn(SaveScreenshot(*tips, "tip-of-the-day.png", Home()), *tips);
}

TEST_F(StartupScreensScreenshotTest, TheAboutBox) {
    std::string path;
    person_.Then([this, &path](QWidget* widget) {
        auto* about = qobject_cast<app::AboutDialog*>(widget);
        ASSERT_NE(about, nullptr);
        path = SaveScreenshot(*about, "about-box.png", Home());
        ExpectDrawn(path, *about);
        about->accept();
    });
    Window().RunMenuCommand("mnuHelpAbout");
    Settle();
    EXPECT_FALSE(path.empty());
}

}  // namespace
}  // namespace tessel::test::gui
