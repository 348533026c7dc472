#include "app/dialogs/options_dialog.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QFocusEvent>
#include <QFontDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QVBoxLayout>
#include <cmath>

#include "app/dialogs/button_row.h"
#include "app/dialogs/message_box.h"
#include "app/dialogs/timeout_text.h"
#include "app/workspace/script_editor.h"
#include "core/session/connection_types.h"
#include "core/session/current_database.h"
#include "core/session/failures.h"
#include "core/session/standard_error.h"

namespace tessel::app {

namespace {

constexpr const char* kInvalidEntryTitle = "Invalid entry error";
constexpr const char* kNotANumber = "Please enter number greater and equal to 0";
constexpr int kLabelPoints = 10;

std::optional<QFont> PlatformFontDialog(const QFont& shown, QWidget* parent) {
    bool ok = false;
    const QFont chosen = QFontDialog::getFont(&ok, shown, parent);
    return ok ? std::optional<QFont>(chosen) : std::nullopt;
}

QString FontSizeText(double points) {
    // A half goes to the even neighbour, as every whole number the dialog shows.
    return "Font size: " + QString::number(static_cast<long>(std::nearbyint(points)));
}

double PointsOf(const QFont& font) {
    return font.pointSizeF() > 0 ? font.pointSizeF() : static_cast<double>(kLabelPoints);
}

// Only what the font dialog decides: the name, the size, bold and italic.
QFont DialogValues(const QString& family, double points, bool bold, bool italic) {
    QFont font(family);
    font.setPointSizeF(points);
    font.setBold(bold);
    font.setItalic(italic);
    return font;
}

template <typename Widget>
Widget* Named(Widget* widget, const char* name, const char* toolTip = nullptr) {
    widget->setObjectName(name);
    if (toolTip != nullptr)
        widget->setToolTip(toolTip);
    return widget;
}

}  // namespace

OptionsDialog::OptionsDialog(Session& session, ScriptEditorPane& editor, QWidget* parent,
                             FontChooser chooser)
    : QDialog(parent),
      session_(session),
      editor_(editor),
      chooser_(chooser ? std::move(chooser) : FontChooser(PlatformFontDialog)),
      cboConnect_(new QComboBox(this)),
      cmdCnnDefault_(new QPushButton("&Reset default", this)),
      opODBCh_(new QRadioButton("Hide", this)),
      opODBCs_(new QRadioButton("Show", this)),
      odbcGroup_(new QButtonGroup(this)),
      txtLogin_(new QLineEdit(this)),
      txtQuery_(new QLineEdit(this)),
      lblFont_(new QLabel(this)),
      lblFontSize_(new QLabel(this)),
      cmdFonts_(new QPushButton("Select &font", this)),
      cmdDefault_(new QPushButton("&Reset default", this)),
      cmdApply_(new QPushButton("Apply", this)),
      cmdCancel_(new QPushButton("Cancel", this)),
      cmdOK_(new QPushButton("OK", this)) {
    setObjectName("ToolsOptions");
    setWindowTitle("Tool setup options");
    setModal(true);

    Named(cboConnect_, "cboConnect",
          "Current database type currently in use or allows you to select the database type you "
          "wish used");
    Named(cmdCnnDefault_, "cmdCnnDefault",
          "Resets the database back to default Microsoft Access version 3.0 (7.x)");
    Named(opODBCh_, "opODBCh",
          "Hides subsequent MDAC dialogue window when making and definining a Data Source Name "
          "(DSN) for an ODBC database connection");
    Named(opODBCs_, "opODBCs",
          "Shows subsequent MDAC dialogue window when making and definining a Data Source Name "
          "(DSN) for an ODBC database connection");
    odbcGroup_->addButton(opODBCh_);
    odbcGroup_->addButton(opODBCs_);
    const char* loginTip =
        "Shows preset and current login timeout value in seconds for your current used "
        "Microsoft Database Engine";
    const char* queryTip =
        "Shows current query timeout value in seconds for your current used database and is the "
        "value that the Microsoft Database Engine will quit after running an SQL query";
    Named(txtLogin_, "txtLogin", loginTip);
    Named(txtQuery_, "txtQuery", queryTip);
    Named(lblFont_, "lblFont",
          "Shows current selected font being used for your script text shown in your lower-left "
          "pane");
    Named(lblFontSize_, "lblFontSize",
          "Shows current selected font size being used for your script text shown in your "
          "lower-left pane");
    Named(cmdFonts_, "cmdFonts",
          "Launches common Windows Font Dialogue window to allow you to select the font and size "
          "you wish used for your script text shown in lower-left pane");
    Named(cmdDefault_, "cmdDefault",
          "Resets the script text font back to default Courier New size 10");
    Named(cmdApply_, "cmdApply",
          "Does not close the dialogue window but applies any settings made forthwith");
    Named(cmdCancel_, "cmdCancel",
          "Closes the dialogue window and discards any settings made during the dialogue window "
          "being shown");
    Named(cmdOK_, "cmdOK", "Closes dialogue window with any settings made");
    cmdOK_->setDefault(true);

    // Clicking these leaves the focus where it is (see the header).
    for (QWidget* widget :
         std::initializer_list<QWidget*>{cboConnect_, cmdCnnDefault_, opODBCh_, opODBCs_, cmdFonts_,
                                         cmdDefault_, cmdApply_, cmdCancel_, cmdOK_}) {
        widget->setFocusPolicy(Qt::TabFocus);
    }
    txtLogin_->installEventFilter(this);
    txtQuery_->installEventFilter(this);

    auto* connection = Named(new QGroupBox("Default database connect type", this), "fmDBConn");
    auto* connectionGrid = new QGridLayout(connection);
    connectionGrid->addWidget(cboConnect_, 0, 0, 1, 3);
    connectionGrid->addWidget(cmdCnnDefault_, 0, 3);
    connectionGrid->addWidget(Named(new QLabel("ODBC registry dialogue:", connection), "lblODBC"),
                              1, 0);
    connectionGrid->addWidget(opODBCh_, 1, 1);
    connectionGrid->addWidget(opODBCs_, 1, 2);

    auto* timeouts = Named(new QGroupBox("Timeout (seconds)", this), "fmTimeouts");
    auto* timeoutGrid = new QGridLayout(timeouts);
    auto* lblLogin = Named(new QLabel("Login:", timeouts), "lblLogin", loginTip);
    auto* lblQuery = Named(new QLabel("Query:", timeouts), "lblQuery", queryTip);
    lblLogin->setBuddy(txtLogin_);
    lblQuery->setBuddy(txtQuery_);
    timeoutGrid->addWidget(lblLogin, 0, 0);
    timeoutGrid->addWidget(txtLogin_, 0, 1);
    timeoutGrid->addWidget(lblQuery, 1, 0);
    timeoutGrid->addWidget(txtQuery_, 1, 1);

    auto* font = Named(new QGroupBox("Script text font", this), "fmFont");
    auto* fontGrid = new QGridLayout(font);
    fontGrid->addWidget(lblFont_, 0, 0);
    fontGrid->addWidget(cmdFonts_, 0, 1);
    fontGrid->addWidget(lblFontSize_, 1, 0);
    fontGrid->addWidget(cmdDefault_, 1, 1);
    lblFont_->setMinimumWidth(220);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(connection);
    auto* middle = new QHBoxLayout;
    middle->addWidget(timeouts);
    middle->addWidget(font, 1);
    layout->addLayout(middle);
    layout->addLayout(ButtonRow({cmdOK_, cmdCancel_, cmdApply_}));

    connect(cboConnect_, &QComboBox::activated, this, &OptionsDialog::ConnectPicked);
    connect(opODBCh_, &QRadioButton::clicked, this, [this] { cmdApply_->setEnabled(true); });
    connect(opODBCs_, &QRadioButton::clicked, this, [this] { cmdApply_->setEnabled(true); });
    connect(cmdCnnDefault_, &QPushButton::clicked, this, &OptionsDialog::ConnectDefault);
    connect(cmdFonts_, &QPushButton::clicked, this, &OptionsDialog::SelectFont);
    connect(cmdDefault_, &QPushButton::clicked, this, &OptionsDialog::FontDefault);
    connect(cmdApply_, &QPushButton::clicked, this, [this] {
        if (ApplySettings())
            cmdApply_->setEnabled(false);
    });
    connect(cmdOK_, &QPushButton::clicked, this, &OptionsDialog::OkClicked);
    connect(cmdCancel_, &QPushButton::clicked, this, &QDialog::reject);
}

void OptionsDialog::Show(Session& session, ScriptEditorPane& editor, QWidget* parent,
                         FontChooser chooser) {
    OptionsDialog dialog(session, editor, parent, std::move(chooser));
    dialog.exec();
}

void OptionsDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // The dialog is made afresh for each opening, so it is activated once; message boxes and
    // the font dialog that come and go must not start it over.
    if (!activated_) {
        activated_ = true;
        Activate();
    }
}

void OptionsDialog::Activate() {
    try {
        const SharedState& state = session_.state;
        fontChosen_ = false;
        const QFont editorFont = editor_.TextBox()->font();
        ShowFontLabels(editorFont.family(), editorFont, PointsOf(editorFont));
        opODBCs_->setChecked(!state.odbc.odbcSilent);
        opODBCh_->setChecked(state.odbc.odbcSilent);
        cboConnect_->clear();
        for (const ConnectionTypeRow& row : ConnectionTypes())
            cboConnect_->addItem(row.listText);
        cboConnect_->setCurrentIndex(state.current.versionIndex);
        ConnectPicked(state.current.versionIndex);
        cmdApply_->setEnabled(false);
        txtLogin_->setText(QString::number(state.engineObjects.loginTimeout));
        txtQuery_->setText(state.current.databaseOpen ? QString::number(state.current.queryTimeout)
                                                      : QString());
    } catch (const std::exception& error) {
        ShowStandardError(session_.ui, AsEngineError(error));
    }
}

void OptionsDialog::ShowFontLabels(const QString& name, const QFont& face, double size) {
    QFont shown(face.family());
    shown.setBold(face.bold());
    shown.setItalic(face.italic());
    shown.setPointSize(kLabelPoints);
    lblFont_->setFont(shown);
    lblFont_->setText(name);
    QFont sizeFont = lblFontSize_->font();
    sizeFont.setPointSize(kLabelPoints);
    lblFontSize_->setFont(sizeFont);
    lblFontSize_->setText(FontSizeText(size));
}

void OptionsDialog::ConnectPicked(int index) {
    session_.state.current.versionIndex = index;
    cmdApply_->setEnabled(true);
}

void OptionsDialog::ConnectDefault() {
    cboConnect_->setCurrentIndex(db::kAccessDefaultRow);
    ConnectPicked(db::kAccessDefaultRow);
    session_.state.current.versionIndex = db::kAccessDefaultRow;
    opODBCs_->setChecked(true);
    cmdApply_->setEnabled(false);
}

void OptionsDialog::SelectFont() {
    try {
        const QFont editorFont = editor_.TextBox()->font();
        dialogFont_ = DialogValues(editorFont.family(), PointsOf(editorFont), editorFont.bold(),
                                   editorFont.italic());
        const std::optional<QFont> chosen = chooser_(dialogFont_, this);
        if (!chosen) {
            // A cancelled font dialog is no error; it forgets an earlier choice.
            fontChosen_ = false;
            return;
        }
        dialogFont_ =
            DialogValues(chosen->family(), PointsOf(*chosen), chosen->bold(), chosen->italic());
        QFont face(editorFont.family());
        face.setBold(chosen->bold());
        face.setItalic(chosen->italic());
        ShowFontLabels(chosen->family(), face, PointsOf(*chosen));
        fontChosen_ = true;
        cmdApply_->setEnabled(true);
    } catch (const std::exception& error) {
        ShowStandardError(session_.ui, AsEngineError(error));
    }
}

void OptionsDialog::FontDefault() {
    try {
        const QFont standard = DefaultScriptFont();
        dialogFont_ = DialogValues(standard.family(), PointsOf(standard), false, false);
        editor_.SetScriptFont(standard);
        ShowFontLabels(standard.family(), standard, PointsOf(editor_.TextBox()->font()));
        session_.state.odbc.odbcSilent = opODBCh_->isChecked();
        cmdApply_->setEnabled(false);
    } catch (const std::exception& error) {
        ShowStandardError(session_.ui, AsEngineError(error));
    }
}

bool OptionsDialog::ApplySettings() {
    SharedState& state = session_.state;
    // A box left by a click on Apply or OK was never checked: a value that is no time-out is
    // refused before anything is applied.
    if (!AcceptableTimeout(txtLogin_))
        return false;
    if (state.current.databaseOpen && !AcceptableTimeout(txtQuery_))
        return false;
    try {
        if (fontChosen_) {
            QFont font = editor_.TextBox()->font();
            font.setFamily(dialogFont_.family());
            font.setPointSizeF(PointsOf(dialogFont_));
            font.setBold(dialogFont_.bold());
            font.setItalic(dialogFont_.italic());
            editor_.SetScriptFont(font);
        }
        state.current.versionIndex = cboConnect_->currentIndex();
        ConnectTypeText(session_, state.current.versionIndex);
        if (state.current.databaseOpen) {
            const int query = Whole16(txtQuery_->text(), "query time-out");
            state.current.currentDatabase->SetQueryTimeout(query);
            state.current.queryTimeout = query;
            RefreshDB(session_);
        }
        const int login = Whole16(txtLogin_->text(), "login time-out");
        session_.engine.SetLoginTimeout(login);
        state.engineObjects.loginTimeout = login;
        state.odbc.odbcSilent = !opODBCs_->isChecked();
        return true;
    } catch (const std::exception& error) {
        ShowStandardError(session_.ui, AsEngineError(error));
        return false;
    }
}

void OptionsDialog::OkClicked() {
    if (ApplySettings())
        accept();
}

void OptionsDialog::InvalidEntry(const char* text) {
    ShowMessageBox(this, text, msgbox::kExclamation + msgbox::kOkOnly, kInvalidEntryTitle);
    // The box gave the focus away; the dialog takes it back for the box that keeps it.
    activateWindow();
}

bool OptionsDialog::AcceptableTimeout(QLineEdit* box) {
    const QString text = box->text();
    if (text.isEmpty() || (IsNumberText(text) && LeadingNumber(text) >= 0))
        return true;
    InvalidEntry(kNotANumber);
    box->setFocus();
    return false;
}

bool OptionsDialog::LeaveQuery() {
    const QString text = txtQuery_->text();
    if (text.isEmpty())
        return true;
    const SharedState& state = session_.state;
    if (!state.current.databaseOpen) {
        InvalidEntry("No open database");
        txtQuery_->clear();
        return true;
    }
    cmdApply_->setEnabled(true);
    if (!IsNumberText(text) || LeadingNumber(text) < 0) {
        InvalidEntry(kNotANumber);
        return false;
    }
    cmdApply_->setEnabled(WholeValue(text) != state.current.queryTimeout);
    return true;
}

bool OptionsDialog::LeaveLogin() {
    const QString text = txtLogin_->text();
    if (text.isEmpty())
        return true;
    if (!IsNumberText(text) || LeadingNumber(text) < 0) {
        cmdApply_->setEnabled(true);
        InvalidEntry(kNotANumber);
        return false;
    }
    cmdApply_->setEnabled(WholeValue(text) != session_.state.engineObjects.loginTimeout);
    return true;
}

bool OptionsDialog::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut && (watched == txtLogin_ || watched == txtQuery_)) {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        // Only the person moving on leaves a box: not a message box, a menu or the window
        // losing the focus, and not the box taking the focus back after a failed check.
        const bool left = reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason ||
                          reason == Qt::MouseFocusReason || reason == Qt::ShortcutFocusReason;
        if (left) {
            auto* box = static_cast<QLineEdit*>(watched);
            // Checked once the focus has settled: a message box shown while the focus moves
            // would fight the move.
            QTimer::singleShot(0, this, [this, box] {
                const bool stays = box == txtLogin_ ? !LeaveLogin() : !LeaveQuery();
                if (stays)
                    box->setFocus();
            });
        }
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace tessel::app
