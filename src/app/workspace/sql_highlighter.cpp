#include "app/workspace/sql_highlighter.h"

namespace tessel::app {

namespace {

constexpr const char* kKeywords =
    "\\b(SELECT|FROM|WHERE|INSERT|INTO|VALUES|UPDATE|SET|DELETE|CREATE|ALTER|DROP|TABLE|INDEX|"
    "UNIQUE|PRIMARY|KEY|FOREIGN|REFERENCES|CONSTRAINT|ON|AND|OR|NOT|NULL|IS|IN|LIKE|BETWEEN|AS|"
    "ORDER|GROUP|BY|HAVING|DISTINCT|DISTINCTROW|TOP|UNION|ALL|JOIN|INNER|LEFT|RIGHT|OUTER|WITH|"
    "DISALLOW|IGNORE|TRANSFORM|PIVOT|ASC|DESC|ADD|COLUMN|VIEW|PROCEDURE|PARAMETERS|TRUE|FALSE)"
    "\\b";

}  // namespace

SqlHighlighter::SqlHighlighter(QTextDocument* document)
    : QSyntaxHighlighter(document),
      keywords_(kKeywords, QRegularExpression::CaseInsensitiveOption),
      commands_("^\\s*db[a-z]+\\b"),
      quoted_("'[^']*'?|\"[^\"]*\"?") {
    keywordFormat_.setForeground(QColor(0, 0, 160));
    keywordFormat_.setFontWeight(QFont::Bold);
    commandFormat_.setForeground(QColor(128, 0, 128));
    commandFormat_.setFontWeight(QFont::Bold);
    quotedFormat_.setForeground(QColor(160, 40, 0));
    commentFormat_.setForeground(QColor(0, 128, 0));
    commentFormat_.setFontItalic(true);
}

void SqlHighlighter::highlightBlock(const QString& text) {
    for (auto match = keywords_.globalMatch(text); match.hasNext();) {
        const QRegularExpressionMatch found = match.next();
        setFormat(found.capturedStart(), found.capturedLength(), keywordFormat_);
    }
    if (const QRegularExpressionMatch found = commands_.match(text); found.hasMatch()) {
        setFormat(found.capturedStart(), found.capturedLength(), commandFormat_);
    }
    // Quotes and comments last: a key word inside them is not one.
    int commentStart = -1;
    int position = 0;
    while (position < text.size()) {
        const QChar c = text.at(position);
        if (c == '\'' || c == '"') {
            const QRegularExpressionMatch found = quoted_.match(text, position);
            const int length = found.hasMatch() && found.capturedStart() == position
                                   ? static_cast<int>(found.capturedLength())
                                   : 1;
            setFormat(position, length, quotedFormat_);
            position += length;
            continue;
        }
        if (c == '/' && position + 1 < text.size() && text.at(position + 1) == '/') {
            commentStart = position;
            break;
        }
        ++position;
    }
    if (commentStart >= 0) {
        setFormat(commentStart, static_cast<int>(text.size()) - commentStart, commentFormat_);
    }
}

}  // namespace tessel::app
