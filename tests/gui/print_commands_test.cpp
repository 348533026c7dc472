// File > Print, File > Printer setup, File > Print preview and the toolbar's print button,
// printing the script to a PDF file that pdftotext then reads back: pages, footers, the
// positions of the lines and where long lines wrap.
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QLabel>
#include <QPageLayout>
#include <QPageSize>
#include <QPrintDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QPrinterInfo>
#include <QRadioButton>
#include <QSpinBox>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <iostream>

#include "app/printing/print_commands.h"
#include "app/printing/print_preview_dialog.h"
#include "app/printing/print_script.h"
#include "app/widget_ui.h"
#include "app/workspace/script_editor.h"
#include "gui_support.h"
#include "pdf_text.h"

namespace tessel::test::gui {
namespace {

namespace fs = std::filesystem;

// Letter paper printed to its edges, so that the printable area is the whole page.
constexpr double kPageWidthPoints = 612;
constexpr double kPageHeightPoints = 792;
constexpr double kMarginPoints = 850 / 20.0;

class PrintCommandsTest : public MainWindowTest {
  protected:
    PrintCommandsTest() {
        QPrinter& printer = Printing().Printer();
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setPageSize(QPageSize(QPageSize::Letter));
        printer.setPageOrientation(QPageLayout::Portrait);
        printer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Point);
        PrintTo("script.pdf");
    }

    app::ScriptPrinting& Printing() {
        auto* printing = Window().findChild<app::ScriptPrinting*>();
        EXPECT_NE(printing, nullptr);
        return *printing;
    }
    QString Pdf(const char* name) const { return QString::fromStdString(home_.File(name)); }
    void PrintTo(const char* name) { Printing().Printer().setOutputFileName(Pdf(name)); }
    QString Status() { return Window().StatusPanel(1)->text(); }

    // The height of a printed line, in points, as the program measures it.
    double LinePoints() {
        QPrinter& printer = Printing().Printer();
        const QFont font = app::PrinterFont(Window().Editor().TextBox()->font());
        return QFontMetricsF(font, &printer).lineSpacing() * 72.0 / printer.resolution();
    }
    // Lines that fit between the top and bottom margins.
    int LinesPerPage() {
        return static_cast<int>(
            std::floor((kPageHeightPoints - 2 * kMarginPoints) / LinePoints() + 1e-9));
    }

    static QString NumberedLines(int count) {
        QString text;
        for (int i = 1; i <= count; ++i)
            text += QString("SELECT %1 FROM t;\r\n").arg(i);
        return text;
    }
    // Letters "W" that make a word wider than the line but shorter than the paper.
    int WideWordLetters() {
        QPrinter& printer = Printing().Printer();
        const QFont font = app::PrinterFont(Window().Editor().TextBox()->font());
        const double letter =
            QFontMetricsF(font, &printer).horizontalAdvance('W') * 72.0 / printer.resolution();
        const int letters = static_cast<int>((kPageWidthPoints - kMarginPoints - 5) / letter);
        EXPECT_GT(letters * letter, kPageWidthPoints - 2 * kMarginPoints);
        return letters;
    }
    void SetScript(const QString& text) { Window().GetUi().SetEditorText(text.toStdString()); }

    // Sets the copies of the print dialog and prints.
    void AnswerPrintDialog(int copies) {
        person_.Then([copies](QWidget* widget) {
            auto* dialog = qobject_cast<QPrintDialog*>(widget);
            ASSERT_NE(dialog, nullptr) << "expected the print dialog";
            auto* spin = dialog->findChild<QSpinBox*>("copies");
            ASSERT_NE(spin, nullptr);
            spin->setValue(copies);
            dialog->accept();
        });
    }

    // Prints a one-line script with the toolbar button; the one message box it shows is
    // answered with OK.
    SeenBox PrintNowSeeingOneBox() {
        SetScript("SELECT 1;");
        person_.PressInBox(QMessageBox::Ok);
        Window().ToolbarButtonClick("print");
        Settle();
        EXPECT_EQ(person_.boxes.size(), 1u);
        return person_.boxes.empty() ? SeenBox{} : person_.boxes[0];
    }

    // The files in the application directory whose names end in ".pdf".
    std::vector<std::string> PdfFiles() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(home_.Path())) {
            if (entry.path().extension() == ".pdf")
                names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }
};

bool HasFooter(const PdfPage& page) {
    return page.text.contains("Page ");
}

TEST_F(PrintCommandsTest, ThreePagesPrintWithFootersOnTheFirstTwoAndTheLinesInPlace) {
    const int perPage = LinesPerPage();
    ASSERT_GT(perPage, 10);
    SetScript(NumberedLines(2 * perPage + 5));
    Window().ToolbarButtonClick("print");
    Settle();
    EXPECT_EQ(Std(Status()), "Ready");

    const std::vector<PdfPage> pages = ReadPdf(Pdf("script.pdf"));
    ASSERT_EQ(pages.size(), 3u);
    EXPECT_TRUE(pages[0].text.contains(
        QRegularExpression(R"(^\s+Page 1\s*$)", QRegularExpression::MultilineOption)));
    EXPECT_TRUE(pages[1].text.contains(
        QRegularExpression(R"(^\s+Page 2\s*$)", QRegularExpression::MultilineOption)));
    EXPECT_FALSE(HasFooter(pages[2]));

    const double line = LinePoints();
    int number = 1;
    for (size_t p = 0; p < pages.size(); ++p) {
        EXPECT_NEAR(pages[p].width, kPageWidthPoints, 0.5);
        EXPECT_NEAR(pages[p].height, kPageHeightPoints, 0.5);
        std::vector<std::vector<PdfWord>> lines = pages[p].Lines();
        if (p < 2) {
            // The footer: the last line, centred, two line heights below the text area.
            ASSERT_FALSE(lines.empty());
            const std::vector<PdfWord> footer = lines.back();
            lines.pop_back();
            ASSERT_EQ(footer.size(), 2u);
            EXPECT_EQ(footer[1].text, QString::number(p + 1));
            EXPECT_NEAR((footer[0].xMin + footer[1].xMax) / 2, kPageWidthPoints / 2, 1.0);
            const double footerTop =
                std::min(kPageHeightPoints - kMarginPoints + 2 * line, kPageHeightPoints - line);
            EXPECT_NEAR(footer[0].yMin - lines[0][0].yMin, footerTop - kMarginPoints, 0.2);
        }
        ASSERT_EQ(lines.size(), static_cast<size_t>(p < 2 ? perPage : 5)) << "page " << p + 1;
        for (size_t i = 0; i < lines.size(); ++i) {
            ASSERT_EQ(lines[i].size(), 4u);
            EXPECT_EQ(lines[i][1].text, QString::number(number++));
            // Every line starts at the left margin, one line height below the one before.
            EXPECT_NEAR(lines[i][0].xMin, kMarginPoints, 0.3);
            EXPECT_NEAR(lines[i][0].yMin - lines[0][0].yMin, i * line, 0.2);
        }
        // The first line stands at the top margin.
        EXPECT_NEAR(lines[0][0].yMin, kMarginPoints, line / 2);
    }
    EXPECT_EQ(PdfFiles(), std::vector<std::string>{"script.pdf"});
}

TEST_F(PrintCommandsTest, AScriptOfThousandsOfLinesPrintsEveryLineOnItsPage) {
    const int perPage = LinesPerPage();
    constexpr int kLines = 5000;
    SetScript(NumberedLines(kLines));
    QElapsedTimer clock;
    clock.start();
    Window().ToolbarButtonClick("print");
    Settle();
    const qint64 elapsed = clock.elapsed();
    const std::vector<PdfPage> pages = ReadPdf(Pdf("script.pdf"));
    const size_t expected = (kLines + perPage - 1) / perPage;
    ASSERT_EQ(pages.size(), expected);
    for (size_t i = 0; i + 1 < pages.size(); ++i) {
        EXPECT_TRUE(pages[i].text.contains(QString("Page %1\n").arg(i + 1))) << i;
        EXPECT_TRUE(pages[i].text.contains(QString("SELECT %1 FROM t;").arg(i * perPage + 1)));
    }
    EXPECT_FALSE(HasFooter(pages.back()));
    EXPECT_TRUE(pages.back().text.contains(QString("SELECT %1 FROM t;").arg(kLines)));
    std::cout << kLines << " lines on " << pages.size() << " pages printed in " << elapsed
              << " ms\n";
}

TEST_F(PrintCommandsTest, ALongLineWrapsBetweenWordsInsideTheRightMargin) {
    QString text;
    for (int i = 1; i <= 60; ++i)
        text += QString("word%1 ").arg(i, 2, 10, QChar('0'));
    // A word wider than the line that still ends on the paper, where pdftotext reads it.
    const QString wide(WideWordLetters(), 'W');
    text += "\r\n" + wide + "\r\nend";
    SetScript(text);
    Window().ToolbarButtonClick("print");
    Settle();
    const std::vector<PdfPage> pages = ReadPdf(Pdf("script.pdf"));
    ASSERT_EQ(pages.size(), 1u);
    const std::vector<std::vector<PdfWord>> lines = pages[0].Lines();
    ASSERT_GE(lines.size(), 4u);
    const double rightEdge = kPageWidthPoints - kMarginPoints;
    int number = 1;
    size_t l = 0;
    for (; l < lines.size() && number <= 60; ++l) {
        ASSERT_GT(lines[l].size(), 1u);
        EXPECT_NEAR(lines[l][0].xMin, kMarginPoints, 0.3);
        for (const PdfWord& word : lines[l]) {
            EXPECT_EQ(word.text, QString("word%1").arg(number++, 2, 10, QChar('0')));
            EXPECT_LE(word.xMax, rightEdge + 0.3) << Std(word.text);
        }
        if (l > 0) {
            // The first word of a line would not have fitted after the last of the line
            // before, behind its space.
            const PdfWord& last = lines[l - 1].back();
            const PdfWord& first = lines[l][0];
            const double space = lines[l - 1][1].xMin - lines[l - 1][0].xMax;
            EXPECT_GT(last.xMax + space + (first.xMax - first.xMin), rightEdge);
        }
    }
    EXPECT_EQ(number, 61);
    ASSERT_EQ(lines.size(), l + 2);
    // A word wider than the line runs into the margin on a line of its own.
    ASSERT_EQ(lines[l].size(), 1u);
    EXPECT_EQ(lines[l][0].text, wide);
    EXPECT_NEAR(lines[l][0].xMin, kMarginPoints, 0.3);
    EXPECT_GT(lines[l][0].xMax, rightEdge);
    EXPECT_EQ(lines[l + 1][0].text, "end");
    EXPECT_NEAR(lines[l + 1][0].yMin - lines[l][0].yMin, LinePoints(), 0.2);
}

TEST_F(PrintCommandsTest, CopiesChosenInThePrintDialogEachStartAtPageOneWithNoEmptyPage) {
    const int perPage = LinesPerPage();
    SetScript(NumberedLines(2 * perPage + 1));
    AnswerPrintDialog(2);
    Window().RunMenuCommand("mnuFilePrint");
    Settle();
    EXPECT_EQ(Printing().Copies(), 2);
    std::vector<PdfPage> pages = ReadPdf(Pdf("script.pdf"));
    ASSERT_EQ(pages.size(), 6u);
    const std::vector<bool> footers = {true, true, false, true, true, false};
    for (size_t i = 0; i < pages.size(); ++i)
        EXPECT_EQ(HasFooter(pages[i]), footers[i]) << "page " << i + 1;
    EXPECT_TRUE(pages[3].text.contains("Page 1"));
    EXPECT_TRUE(pages[4].text.contains("Page 2"));
    EXPECT_TRUE(pages[3].text.contains("SELECT 1 FROM t;"));
    EXPECT_TRUE(pages[5].text.contains(QString("SELECT %1 FROM t;").arg(2 * perPage + 1)));

    // The toolbar button prints as many copies as the dialog last held, without showing it.
    PrintTo("again.pdf");
    Window().ToolbarButtonClick("print");
    Settle();
    pages = ReadPdf(Pdf("again.pdf"));
    EXPECT_EQ(pages.size(), 6u);
    EXPECT_EQ(PdfFiles(), (std::vector<std::string>{"again.pdf", "script.pdf"}));
}

TEST_F(PrintCommandsTest, ThePrintDialogShowsTheCopiesOfTheLastPrint) {
    SetScript("SELECT 1;");
    AnswerPrintDialog(3);
    Window().RunMenuCommand("mnuFilePrint");
    Settle();
    int shown = 0;
    person_.Then([&shown](QWidget* widget) {
        auto* spin = widget->findChild<QSpinBox*>("copies");
        ASSERT_NE(spin, nullptr);
        shown = spin->value();
        qobject_cast<QDialog*>(widget)->reject();
    });
    Window().RunMenuCommand("mnuFilePrint");
    Settle();
    EXPECT_EQ(shown, 3);
    EXPECT_EQ(Printing().Copies(), 3);
    EXPECT_EQ(ReadPdf(Pdf("script.pdf")).size(), 3u);
}

TEST_F(PrintCommandsTest, CancellingThePrintDialogPrintsNothingAndSaysNothing) {
    SetScript("SELECT 1;");
    Window().StatusPanel(1)->setText("before");
    person_.Then([](QWidget* widget) {
        ASSERT_NE(qobject_cast<QPrintDialog*>(widget), nullptr);
        qobject_cast<QDialog*>(widget)->reject();
    });
    Window().RunMenuCommand("mnuFilePrint");
    Settle();
    EXPECT_TRUE(person_.boxes.empty());
    EXPECT_TRUE(PdfFiles().empty());
    EXPECT_EQ(Std(Status()), "before");
}

TEST_F(PrintCommandsTest, APageTwoByElevenInchesGetsTheMessageAndNoFile) {
    Printing().Printer().setPageSize(QPageSize(QSizeF(2, 11), QPageSize::Inch, "narrow"));
    const SeenBox box = PrintNowSeeingOneBox();
    EXPECT_EQ(Std(box.text),
              "Please select Printer paper size where page height and width is > 3 inches");
    EXPECT_EQ(Std(box.caption), "Printer page size setting error");
    EXPECT_EQ(Std(Status()), "Printing...");
    EXPECT_TRUE(PdfFiles().empty());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(PrintCommandsTest, PrinterSetupTurnsThePageForTheNextPrintAndCancelKeepsIt) {
    SetScript("SELECT 1;");
    person_.Then([](QWidget* widget) {
        auto* landscape = widget->findChild<QRadioButton*>("landscape");
        ASSERT_NE(landscape, nullptr) << "expected the page set-up dialog";
        landscape->click();
        qobject_cast<QDialog*>(widget)->accept();
    });
    Window().RunMenuCommand("mnuFilePrinterSU");
    Settle();
    EXPECT_TRUE(PdfFiles().empty()) << "setting up prints nothing";
    person_.Then([](QWidget* widget) {
        auto* portrait = widget->findChild<QRadioButton*>("portrait");
        ASSERT_NE(portrait, nullptr);
        portrait->click();
        qobject_cast<QDialog*>(widget)->reject();
    });
    Window().RunMenuCommand("mnuFilePrinterSU");
    Settle();
    EXPECT_TRUE(person_.boxes.empty());

    Window().ToolbarButtonClick("print");
    Settle();
    const std::vector<PdfPage> pages = ReadPdf(Pdf("script.pdf"));
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_NEAR(pages[0].width, kPageHeightPoints, 0.5);
    EXPECT_NEAR(pages[0].height, kPageWidthPoints, 0.5);
}

TEST_F(PrintCommandsTest, AFileThatCannotBeWrittenGivesTheStandardErrorBox) {
    const QString missing = QString::fromStdString(home_.File("no such directory/out.pdf"));
    Printing().Printer().setOutputFileName(missing);
    const SeenBox box = PrintNowSeeingOneBox();
    EXPECT_EQ(box.icon, QMessageBox::Critical);
    EXPECT_EQ(Std(box.text).rfind("482: Cannot print to the file \"" + Std(missing) + "\"", 0), 0u)
        << Std(box.text);
    EXPECT_FALSE(QFileInfo::exists(missing));
    EXPECT_EQ(Printing().Printer().outputFileName(), missing);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(PrintCommandsTest, AnExistingFileIsReplacedWhole) {
    SetScript(NumberedLines(2 * LinesPerPage() + 1));
    Window().ToolbarButtonClick("print");
    Settle();
    ASSERT_EQ(ReadPdf(Pdf("script.pdf")).size(), 3u);
    SetScript("SELECT 1;");
    Window().ToolbarButtonClick("print");
    Settle();
    const std::vector<PdfPage> pages = ReadPdf(Pdf("script.pdf"));
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_TRUE(pages[0].text.contains("SELECT 1;"));
    EXPECT_EQ(PdfFiles(), std::vector<std::string>{"script.pdf"});
}

TEST_F(PrintCommandsTest, WithoutAPrinterOrAFileThePrintButtonSaysSo) {
    if (!QPrinterInfo::availablePrinterNames().isEmpty())
        GTEST_SKIP() << "this machine has a printer";
    QPrinter& printer = Printing().Printer();
    printer.setOutputFileName(QString());
    printer.setOutputFormat(QPrinter::NativeFormat);
    ASSERT_TRUE(printer.printerName().isEmpty());
    const SeenBox box = PrintNowSeeingOneBox();
    EXPECT_EQ(Std(box.text),
              "482: No printer is set up on this computer. Add a printer, or print to a file "
              "with File > Print.");
}

TEST_F(PrintCommandsTest, ThePreviewShowsThePagesOfOneCopy) {
    SetScript(NumberedLines(2 * LinesPerPage() + 1));
    AnswerPrintDialog(2);
    Window().RunMenuCommand("mnuFilePrint");
    Settle();
    struct {
        int pages = 0;
        QString first;
        QString second;
    } seen;
    person_.Then([this, &seen](QWidget* widget) {
        auto* dialog = qobject_cast<app::PrintPreviewDialog*>(widget);
        ASSERT_NE(dialog, nullptr) << "expected the preview";
        EXPECT_EQ(Std(dialog->windowTitle()), "Print preview");
        seen.pages = dialog->Preview()->pageCount();
        seen.first = dialog->PageLabel()->text();
        dialog->Action("nextPage")->trigger();
        seen.second = dialog->PageLabel()->text();
        dialog->Action("fitWidth")->trigger();
        Settle(50);
        // A picture of the preview, as a person sees it.
        const char* wanted = std::getenv("TESSEL_SCREENSHOT_DIR");
        const QString directory =
            wanted != nullptr ? QString(wanted) : QString::fromStdString(Home());
        QDir().mkpath(directory);
        dialog->Action("previousPage")->trigger();
        dialog->Action("fitPage")->trigger();
        Settle(50);
        EXPECT_TRUE(dialog->grab().save(directory + "/print-preview.png", "PNG"));
        dialog->Action("close")->trigger();
    });
    Window().RunMenuCommand("mnuFilePrintPreview");
    Settle();
    EXPECT_EQ(seen.pages, 3);
    EXPECT_EQ(Std(seen.first), "Page 1 of 3");
    EXPECT_EQ(Std(seen.second), "Page 2 of 3");
    EXPECT_EQ(PdfFiles(), std::vector<std::string>{"script.pdf"});
}

TEST_F(PrintCommandsTest, PrintInThePreviewGoesOnToThePrintDialog) {
    SetScript("SELECT 1;");
    PrintTo("from-preview.pdf");
    person_.Then([](QWidget* widget) {
        auto* dialog = qobject_cast<app::PrintPreviewDialog*>(widget);
        ASSERT_NE(dialog, nullptr) << "expected the preview";
        dialog->Action("print")->trigger();
    });
    AnswerPrintDialog(1);
    Window().RunMenuCommand("mnuFilePrintPreview");
    Settle();
    const std::vector<PdfPage> pages = ReadPdf(Pdf("from-preview.pdf"));
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_TRUE(pages[0].text.contains("SELECT 1;"));
}

TEST_F(PrintCommandsTest, ThePreviewOfATooSmallPageGivesTheMessageInstead) {
    Printing().Printer().setPageSize(QPageSize(QSizeF(11, 2), QPageSize::Inch, "short"));
    person_.PressInBox(QMessageBox::Ok);
    Window().RunMenuCommand("mnuFilePrintPreview");
    Settle();
    ASSERT_EQ(person_.boxes.size(), 1u);
    EXPECT_EQ(Std(person_.boxes[0].caption), "Printer page size setting error");
}

}  // namespace
}  // namespace tessel::test::gui
