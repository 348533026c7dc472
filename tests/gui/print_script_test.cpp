// Printing the script on a printer that records its documents: the page size check, one
// document for every copy, the printer font, the status panel and the busy pointer.
#include <QApplication>
#include <QCursor>
#include <QLabel>
#include <algorithm>
#include <vector>

#include "app/printing/print_script.h"
#include "app/widget_ui.h"
#include "fixed_pitch_surface.h"
#include "gui_support.h"

namespace tessel::test::gui {
namespace {

class RecordingTarget : public app::PrintTarget {
  public:
    RecordingTarget(double width, double height) : width_(width), height_(height) {}
    double PrintableWidth() const override { return width_; }
    double PrintableHeight() const override { return height_; }
    app::PrintSurface& BeginDocument(const QFont& font) override {
        EXPECT_FALSE(open_) << "a document began before the last one ended";
        open_ = true;
        fonts.push_back(font);
        busyWhilePrinting.push_back(QApplication::overrideCursor() != nullptr &&
                                    QApplication::overrideCursor()->shape() == Qt::WaitCursor);
        documents.emplace_back(width_, height_);
        return documents.back();
    }
    void EndDocument() override {
        EXPECT_TRUE(open_);
        open_ = false;
        ++ended;
    }
    void EndRun() override { ++runsEnded; }

    std::vector<FixedPitchSurface> documents;
    std::vector<QFont> fonts;
    std::vector<bool> busyWhilePrinting;
    int ended = 0;
    int runsEnded = 0;

  private:
    double width_;
    double height_;
    bool open_ = false;
};

class PrintScriptTest : public MainWindowTest {
  protected:
    QString Status() { return Window().StatusPanel(1)->text(); }
};

// Letter paper: 8.5 by 11 inches.
constexpr double kLetterWidth = 12240;
constexpr double kLetterHeight = 15840;

TEST_F(PrintScriptTest, EachCopyIsADocumentOfItsOwnNumberedFromPageOne) {
    RecordingTarget target(kLetterWidth, kLetterHeight);
    QString text;
    // 70 lines of 200 twips fit on a page: 150 lines fill two pages and part of a third.
    for (int i = 0; i < 150; ++i)
        text += "SELECT 1;\r\n";
    app::PrintScript(Window().GetUi(), target, text, QFont("Courier New", 10), 3);
    ASSERT_EQ(target.documents.size(), 3u);
    EXPECT_EQ(target.ended, 3);
    EXPECT_EQ(target.runsEnded, 1);
    for (const FixedPitchSurface& copy : target.documents) {
        QStringList footers;
        for (const Drawn& footer : copy.Footers())
            footers << footer.text;
        EXPECT_EQ(footers.join(","), "Page 1,Page 2");
        EXPECT_EQ(std::count_if(copy.drawn.begin(), copy.drawn.end(),
                                [](const Drawn& d) { return d.text == "SELECT"; }),
                  150);
    }
    EXPECT_EQ(target.busyWhilePrinting, (std::vector<bool>{true, true, true}));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(Std(Status()), "Ready");
}

TEST_F(PrintScriptTest, ThePrinterFontIsTheEditorFontsNameAndSizeWithoutBoldOrItalic) {
    RecordingTarget target(kLetterWidth, kLetterHeight);
    QFont editor("DejaVu Serif", 13);
    editor.setBold(true);
    editor.setItalic(true);
    app::PrintScript(Window().GetUi(), target, "x", editor, 1);
    ASSERT_EQ(target.fonts.size(), 1u);
    EXPECT_EQ(Std(target.fonts[0].family()), "DejaVu Serif");
    EXPECT_EQ(target.fonts[0].pointSizeF(), 13);
    EXPECT_FALSE(target.fonts[0].bold());
    EXPECT_FALSE(target.fonts[0].italic());
}

TEST_F(PrintScriptTest, APageTwoInchesWideGetsTheMessageAndNothingIsPrinted) {
    RecordingTarget target(2 * 1440, 11 * 1440);
    person_.PressInBox(QMessageBox::Ok);
    app::PrintScript(Window().GetUi(), target, "SELECT 1;", QFont("Courier New", 10), 2);
    ASSERT_EQ(person_.boxes.size(), 1u);
    EXPECT_EQ(Std(person_.boxes[0].text),
              "Please select Printer paper size where page height and width is > 3 inches");
    EXPECT_EQ(Std(person_.boxes[0].caption), "Printer page size setting error");
    EXPECT_EQ(person_.boxes[0].icon, QMessageBox::Warning);
    EXPECT_TRUE(target.documents.empty());
    EXPECT_EQ(target.runsEnded, 0);
    EXPECT_EQ(Std(Status()), "Printing...");
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(PrintScriptTest, ThreeInchesEitherWayIsJustEnough) {
    RecordingTarget exact(4320, 4320);
    app::PrintScript(Window().GetUi(), exact, "x", QFont("Courier New", 10), 1);
    EXPECT_EQ(exact.documents.size(), 1u);

    person_.PressInBox(QMessageBox::Ok);
    RecordingTarget shorter(4320, 4319);
    app::PrintScript(Window().GetUi(), shorter, "x", QFont("Courier New", 10), 1);
    EXPECT_TRUE(shorter.documents.empty());
    EXPECT_EQ(person_.boxes.size(), 1u);
}

TEST_F(PrintScriptTest, NoCopiesPrintNothingButTheRunStillEnds) {
    RecordingTarget target(kLetterWidth, kLetterHeight);
    app::PrintScript(Window().GetUi(), target, "x", QFont("Courier New", 10), 0);
    EXPECT_TRUE(target.documents.empty());
    EXPECT_EQ(Std(Status()), "Ready");
}

}  // namespace
}  // namespace tessel::test::gui
