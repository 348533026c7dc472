// One copy of a text laid out in pages, in twips (1440 to the inch): 850 twips of margin on
// every side, words wrapped at spaces, and a centred "Page N" footer on every page that the
// text runs over. The printer stands behind PrintSurface, so the layout is checked without one.
//
// Words are the runs of characters other than space, CR and LF. Runs of spaces and of line
// breaks are kept as they come: spaces at a wrap stay at the end of the line they follow, and a
// blank line moves down a line of its own. A word wider than the line stands on a line of its
// own and runs into the right margin. A page that ends because the text ends, or because line
// breaks ran past the bottom of the text area, carries no footer.
#pragma once

#include <QString>

namespace tessel::app {

inline constexpr double kPrintMarginTwips = 850;
// Below 3 inches either way nothing is printed.
inline constexpr double kMinimumPageTwips = 4320;

// A printer page as the layout sees it. Lengths are twips from the top left corner of the
// printable area.
class PrintSurface {
  public:
    virtual ~PrintSurface() = default;
    virtual double PrintableWidth() const = 0;
    virtual double PrintableHeight() const = 0;
    virtual double TextWidth(const QString& text) const = 0;
    // The height of one printed line ("X" in the printer font).
    virtual double LineHeight() const = 0;
    // Draws `text` with the top left corner of its line at (x, y).
    virtual void DrawText(double x, double y, const QString& text) = 0;
    // Ends the page. A surface starts the next page only when something is drawn on it, so a
    // page break at the very end of a document leaves no empty sheet.
    virtual void NewPage() = 0;
};

// Lays out copies of a text on one surface, keeping the print position and the page number.
class TextPages {
  public:
    explicit TextPages(PrintSurface& surface) : surface_(surface) {}

    // The page number starts again and the position goes to the top of the text area.
    void BeginCopy();
    // Prints the text from the current position; ends with its last character printed.
    void PrintText(const QString& text);

    double X() const { return x_; }
    double Y() const { return y_; }
    int PageNumber() const { return pageNumber_; }

  private:
    void FooterAndNewPage();

    PrintSurface& surface_;
    double x_ = kPrintMarginTwips;
    double y_ = kPrintMarginTwips;
    int pageNumber_ = 0;
};

// The footer of a page: "Page " and its number.
QString PageFooter(int pageNumber);

}  // namespace tessel::app
