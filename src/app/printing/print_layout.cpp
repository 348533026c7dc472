#include "app/printing/print_layout.h"

#include <algorithm>

namespace tessel::app {

namespace {

bool IsLineBreak(QChar c) {
    return c == u'\r' || c == u'\n';
}

bool EndsWord(QChar c) {
    return c == u' ' || IsLineBreak(c);
}

// CR LF is one line break; a CR or an LF alone is one as well.
int CountLineBreaks(QStringView run) {
    int breaks = 0;
    for (qsizetype i = 0; i < run.size(); ++i) {
        if (run[i] == u'\r' && i + 1 < run.size() && run[i + 1] == u'\n')
            ++i;
        ++breaks;
    }
    return breaks;
}

// Moves `p` past the characters that `take` accepts and returns them.
template <typename Take>
QStringView Collect(const QString& text, qsizetype& p, Take take) {
    const qsizetype start = p;
    while (p < text.size() && take(text[p]))
        ++p;
    return QStringView(text).mid(start, p - start);
}

}  // namespace

QString PageFooter(int pageNumber) {
    return QStringLiteral("Page ") + QString::number(pageNumber);
}

void TextPages::BeginCopy() {
    pageNumber_ = 0;
    x_ = kPrintMarginTwips;
    y_ = kPrintMarginTwips;
}

void TextPages::PrintText(const QString& text) {
    const double printWidth = surface_.PrintableWidth() - kPrintMarginTwips;
    const double bottom = surface_.PrintableHeight() - kPrintMarginTwips;
    const double lineHeight = surface_.LineHeight();
    x_ = kPrintMarginTwips;
    qsizetype p = 0;
    do {
        const QString word = Collect(text, p, [](QChar c) { return !EndsWord(c); }).toString();
        const double wordWidth = surface_.TextWidth(word);
        // A word that does not fit goes to the next line, unless the line holds nothing yet:
        // wrapping there would only leave a blank line above a word too wide for any line.
        if (x_ > kPrintMarginTwips && x_ + wordWidth > printWidth) {
            y_ += lineHeight;
            x_ = kPrintMarginTwips;
        }
        if (y_ + lineHeight > bottom)
            FooterAndNewPage();
        if (!word.isEmpty())
            surface_.DrawText(x_, y_, word);
        x_ += wordWidth;

        const QStringView spaces = Collect(text, p, [](QChar c) { return c == u' '; });
        if (!spaces.isEmpty())
            x_ += surface_.TextWidth(spaces.toString());

        const QStringView breaks = Collect(text, p, IsLineBreak);
        if (!breaks.isEmpty()) {
            y_ += CountLineBreaks(breaks) * lineHeight;
            if (y_ > bottom) {
                surface_.NewPage();
                y_ = kPrintMarginTwips;
            }
            x_ = kPrintMarginTwips;
        }
    } while (p < text.size());
}

void TextPages::FooterAndNewPage() {
    ++pageNumber_;
    const QString footer = PageFooter(pageNumber_);
    const double width = surface_.PrintableWidth();
    const double height = surface_.PrintableHeight();
    const double footerHeight = surface_.LineHeight();
    // Two footer heights below the text area; a large font would push that off the printable
    // area, where the footer would be lost, so it never goes below the last line that fits.
    const double footerY =
        std::min(height - kPrintMarginTwips + 2 * footerHeight, height - footerHeight);
    surface_.DrawText((width - surface_.TextWidth(footer)) / 2, footerY, footer);
    surface_.NewPage();
    x_ = kPrintMarginTwips;
    y_ = kPrintMarginTwips;
}

}  // namespace tessel::app
