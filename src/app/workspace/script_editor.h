// The script editor pane (window "textSQL") and its text box "txtSQLStatement": plain text in
// the script font, no word wrap, both scroll bars. The pane sees every key before the text
// box, for the Caps Lock and Insert indicators.
//
// The text box keeps a line break as one character; the text handed out ends its lines in
// CR LF, and selection offsets are the text box's own, so a line end counts once.
#pragma once

#include <QKeySequence>
#include <QList>
#include <QPlainTextEdit>
#include <QWidget>
#include <functional>
#include <string>

namespace tessel::app {

// The text box. The shortcuts of the main window's menus reach the menus even while it has
// the focus, as the menus own them.
class ScriptTextEdit : public QPlainTextEdit {
    Q_OBJECT
  public:
    explicit ScriptTextEdit(QWidget* parent = nullptr);
    void SetMenuShortcuts(const QList<QKeySequence>& shortcuts) { menuShortcuts_ = shortcuts; }

  protected:
    bool event(QEvent* event) override;

  private:
    QList<QKeySequence> menuShortcuts_;
};

class ScriptEditorPane : public QWidget {
    Q_OBJECT
  public:
    explicit ScriptEditorPane(QWidget* parent = nullptr);

    ScriptTextEdit* TextBox() const { return textBox_; }

    // The whole text, UTF-8, lines ending in CR LF.
    std::string Text() const;
    // Replaces the whole text; CR LF, LF and CR each end a line.
    void SetText(const std::string& text);
    // The text with one character per line end; its positions are selection offsets.
    QString SearchableText() const;

    int SelectionStart() const;
    int SelectionLength() const;
    QString SelectedText() const;
    void SetSelection(int start, int length);

    // Edit menu routines on the text box.
    void SelectAll();
    void EditCopy();
    void EditCut();
    void EditPaste();
    // Edit > Delete with the text box in focus: the selection, or the character after the
    // caret (a line end is one); nothing at the very end.
    void DeleteSelectionOrNextCharacter();
    int TextLength() const;

    void SetScriptFont(const QFont& font);

  signals:
    void TextChanged();
    // Key presses that the pane saw before the text box.
    void CapsLockPressed();
    void InsertPressed();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    ScriptTextEdit* textBox_;
};

// Edit > Delete in any editable plain text box: the selection, or the character after the
// caret.
void DeleteSelectionOrNextCharacterIn(QPlainTextEdit& box);

// Courier New 10 point, or the nearest fixed-pitch font.
QFont DefaultScriptFont();

}  // namespace tessel::app
