// Colours for the script editor: SQL key words, script commands, quoted texts and "//"
// comments. Colour only: the text is never touched, so the change flag is not set by it.
#pragma once

#include <QRegularExpression>
#include <QSyntaxHighlighter>
#include <QTextCharFormat>

namespace tessel::app {

class SqlHighlighter : public QSyntaxHighlighter {
    Q_OBJECT
  public:
    explicit SqlHighlighter(QTextDocument* document);

  protected:
    void highlightBlock(const QString& text) override;

  private:
    QRegularExpression keywords_;
    QRegularExpression commands_;
    QRegularExpression quoted_;
    QTextCharFormat keywordFormat_;
    QTextCharFormat commandFormat_;
    QTextCharFormat quotedFormat_;
    QTextCharFormat commentFormat_;
};

}  // namespace tessel::app
