#include "app/workspace/script_editor.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include "app/workspace/sql_highlighter.h"

namespace tessel::app {

namespace {

constexpr QChar kBlockSeparator(0x2029);

}  // namespace

QFont DefaultScriptFont() {
    QFont font("Courier New", 10);
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    return font;
}

ScriptTextEdit::ScriptTextEdit(QWidget* parent) : QPlainTextEdit(parent) {
    setObjectName("txtSQLStatement");
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setTabChangesFocus(false);
}

bool ScriptTextEdit::event(QEvent* event) {
    if (event->type() == QEvent::ShortcutOverride) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const QKeySequence pressed(key->keyCombination());
        if (menuShortcuts_.contains(pressed)) {
            event->ignore();
            return true;
        }
    }
    return QPlainTextEdit::event(event);
}

ScriptEditorPane::ScriptEditorPane(QWidget* parent)
    : QWidget(parent), textBox_(new ScriptTextEdit(this)) {
    textBox_->setFont(DefaultScriptFont());
    textBox_->installEventFilter(this);
    new SqlHighlighter(textBox_->document());
    connect(textBox_, &QPlainTextEdit::textChanged, this, &ScriptEditorPane::TextChanged);
}

void ScriptEditorPane::SetScriptFont(const QFont& font) {
    textBox_->setFont(font);
}

void ScriptEditorPane::resizeEvent(QResizeEvent* event) {
    textBox_->setGeometry(0, 0, width(), height());
    QWidget::resizeEvent(event);
}

bool ScriptEditorPane::eventFilter(QObject* watched, QEvent* event) {
    if (watched == textBox_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_CapsLock)
            emit CapsLockPressed();
        if (key == Qt::Key_Insert)
            emit InsertPressed();
    }
    return QWidget::eventFilter(watched, event);
}

QString ScriptEditorPane::SearchableText() const {
    return textBox_->document()->toRawText();
}

std::string ScriptEditorPane::Text() const {
    QString text = SearchableText();
    text.replace(kBlockSeparator, QStringLiteral("\r\n"));
    return text.toStdString();
}

void ScriptEditorPane::SetText(const std::string& text) {
    textBox_->setPlainText(QString::fromStdString(text));
}

int ScriptEditorPane::SelectionStart() const {
    return textBox_->textCursor().selectionStart();
}

int ScriptEditorPane::SelectionLength() const {
    const QTextCursor cursor = textBox_->textCursor();
    return cursor.selectionEnd() - cursor.selectionStart();
}

QString ScriptEditorPane::SelectedText() const {
    QString text = textBox_->textCursor().selectedText();
    text.replace(kBlockSeparator, QChar('\n'));
    return text;
}

void ScriptEditorPane::SetSelection(int start, int length) {
    QTextCursor cursor = textBox_->textCursor();
    const int end = TextLength();
    cursor.setPosition(std::clamp(start, 0, end));
    cursor.setPosition(std::clamp(start + length, 0, end), QTextCursor::KeepAnchor);
    textBox_->setTextCursor(cursor);
}

int ScriptEditorPane::TextLength() const {
    return textBox_->document()->characterCount() - 1;
}

void ScriptEditorPane::SelectAll() {
    SetSelection(0, TextLength());
}

void ScriptEditorPane::EditCopy() {
    QApplication::clipboard()->setText(SelectedText());
}

void ScriptEditorPane::EditCut() {
    EditCopy();
    textBox_->textCursor().removeSelectedText();
}

void ScriptEditorPane::EditPaste() {
    textBox_->textCursor().insertText(QApplication::clipboard()->text());
}

void ScriptEditorPane::DeleteSelectionOrNextCharacter() {
    DeleteSelectionOrNextCharacterIn(*textBox_);
}

void DeleteSelectionOrNextCharacterIn(QPlainTextEdit& box) {
    QTextCursor cursor = box.textCursor();
    // At the very end there is no next character: the cursor stays without a selection.
    if (!cursor.hasSelection())
        cursor.movePosition(QTextCursor::NextCharacter, QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
    box.setTextCursor(cursor);
}

}  // namespace tessel::app
