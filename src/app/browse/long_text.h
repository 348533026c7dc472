// Long texts in the result panes. A memo or a statement of many pages shows its start in a
// grid cell or a tooltip, which is all that fits there, at a cost that does not grow with its
// length: measuring and eliding a whole long text on every paint would make the grid crawl.
#pragma once

#include <QString>

namespace tessel::app {

inline constexpr qsizetype kCellCharacters = 1000;
inline constexpr qsizetype kToolTipCharacters = 2000;

// The text, or its first `most` characters followed by "…".
inline QString Shortened(const QString& text, qsizetype most) {
    return text.size() > most ? text.left(most) + QChar(0x2026) : text;
}

// As rich text, which a tooltip wraps at its width, where plain text would run off the screen
// in one line.
inline QString WrappingToolTip(const QString& text) {
    return "<p style='white-space:pre-wrap'>" +
           Shortened(text, kToolTipCharacters).toHtmlEscaped() + "</p>";
}

}  // namespace tessel::app
