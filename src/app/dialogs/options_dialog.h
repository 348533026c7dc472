// The options dialog "ToolsOptions" (Tools > Options): the connection type with the choice of
// showing the ODBC driver's own set-up dialogue, the login and query time-outs, and the script
// font. None of these outlives the run: they live in the session, the engine and the editor.
//
// Picking a connection type changes the version index at once; its type text follows at Apply
// or OK. The font's "Reset default" changes the editor at once; a font chosen in the font
// dialog reaches it only with Apply or OK. Cancel undoes nothing that already happened.
//
// The buttons, the option buttons and the list take the focus only by the keyboard, so that a
// click on them never leaves a time-out box half checked: leaving a box by the keyboard or for
// the other box runs its check, and Apply and OK refuse a box that holds no valid time-out.
#pragma once

#include <QDialog>
#include <QFont>
#include <functional>
#include <optional>

#include "core/session/session.h"

class QButtonGroup;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace tessel::app {

class ScriptEditorPane;

// The font dialog: shows `shown` and returns the chosen font, nothing when cancelled.
using FontChooser = std::function<std::optional<QFont>(const QFont& shown, QWidget* parent)>;

class OptionsDialog : public QDialog {
    Q_OBJECT
  public:
    // Without a chooser the platform's font dialog is used.
    OptionsDialog(Session& session, ScriptEditorPane& editor, QWidget* parent = nullptr,
                  FontChooser chooser = {});

    // Tools > Options: shows the dialog modally.
    static void Show(Session& session, ScriptEditorPane& editor, QWidget* parent,
                     FontChooser chooser = {});

    QComboBox* cboConnect() const { return cboConnect_; }
    QPushButton* cmdCnnDefault() const { return cmdCnnDefault_; }
    QRadioButton* opODBCh() const { return opODBCh_; }
    QRadioButton* opODBCs() const { return opODBCs_; }
    QLineEdit* txtLogin() const { return txtLogin_; }
    QLineEdit* txtQuery() const { return txtQuery_; }
    QLabel* lblFont() const { return lblFont_; }
    QLabel* lblFontSize() const { return lblFontSize_; }
    QPushButton* cmdFonts() const { return cmdFonts_; }
    QPushButton* cmdDefault() const { return cmdDefault_; }
    QPushButton* cmdApply() const { return cmdApply_; }
    QPushButton* cmdCancel() const { return cmdCancel_; }
    QPushButton* cmdOK() const { return cmdOK_; }

  protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void Activate();
    void ConnectPicked(int index);
    void ConnectDefault();
    void SelectFont();
    void FontDefault();
    // Apply's steps; false when a step failed (its box was shown).
    bool ApplySettings();
    void OkClicked();
    // The checks when the focus leaves a time-out box; false when the box keeps the focus.
    bool LeaveQuery();
    bool LeaveLogin();
    // A box that holds no valid time-out keeps the focus with the message; false then.
    bool AcceptableTimeout(QLineEdit* box);
    void InvalidEntry(const char* text);
    void ShowFontLabels(const QString& name, const QFont& face, double size);

    Session& session_;
    ScriptEditorPane& editor_;
    FontChooser chooser_;
    bool activated_ = false;
    // True once a font was picked in the font dialog in this opening.
    bool fontChosen_ = false;
    // The font dialog's own values: what it shows next, and what Apply gives the editor.
    QFont dialogFont_;

    QComboBox* cboConnect_;
    QPushButton* cmdCnnDefault_;
    QRadioButton* opODBCh_;
    QRadioButton* opODBCs_;
    QButtonGroup* odbcGroup_;
    QLineEdit* txtLogin_;
    QLineEdit* txtQuery_;
    QLabel* lblFont_;
    QLabel* lblFontSize_;
    QPushButton* cmdFonts_;
    QPushButton* cmdDefault_;
    QPushButton* cmdApply_;
    QPushButton* cmdCancel_;
    QPushButton* cmdOK_;
};

}  // namespace tessel::app
