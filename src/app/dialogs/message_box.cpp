#include "app/dialogs/message_box.h"

#include "core/ui.h"

namespace tessel::app {

MessageBoxLayout LayoutForStyle(int style) {
    using B = QMessageBox;
    MessageBoxLayout layout;
    switch (style & msgbox::kButtonMask) {
        case msgbox::kOkCancel:
            layout.buttons = {B::Ok, B::Cancel};
            break;
        case msgbox::kAbortRetryIgnore:
            layout.buttons = {B::Abort, B::Retry, B::Ignore};
            break;
        case msgbox::kYesNoCancel:
            layout.buttons = {B::Yes, B::No, B::Cancel};
            break;
        case msgbox::kYesNo:
            layout.buttons = {B::Yes, B::No};
            break;
        case msgbox::kRetryCancel:
            layout.buttons = {B::Retry, B::Cancel};
            break;
        default:
            layout.buttons = {B::Ok};
            break;
    }
    switch (style & msgbox::kIconMask) {
        case msgbox::kCritical:
            layout.icon = B::Critical;
            break;
        case msgbox::kQuestion:
            layout.icon = B::Question;
            break;
        case msgbox::kExclamation:
            layout.icon = B::Warning;
            break;
        case msgbox::kInformation:
            layout.icon = B::Information;
            break;
        default:
            layout.icon = B::NoIcon;
            break;
    }
    int defaultIndex = 0;
    if (style & msgbox::kDefaultButton2)
        defaultIndex = 1;
    if (style & msgbox::kDefaultButton3)
        defaultIndex = 2;
    if (defaultIndex >= layout.buttons.size())
        defaultIndex = 0;
    layout.defaultButton = layout.buttons[defaultIndex];
    return layout;
}

int AnswerFor(QMessageBox::StandardButton button) {
    switch (button) {
        case QMessageBox::Ok:
            return msgbox::kOk;
        case QMessageBox::Abort:
            return msgbox::kAbort;
        case QMessageBox::Retry:
            return msgbox::kRetry;
        case QMessageBox::Ignore:
            return msgbox::kIgnore;
        case QMessageBox::Yes:
            return msgbox::kYes;
        case QMessageBox::No:
            return msgbox::kNo;
        default:
            return msgbox::kCancel;
    }
}

int ShowMessageBox(QWidget* parent, const std::string& text, int style,
                   const std::string& caption) {
    const MessageBoxLayout layout = LayoutForStyle(style);
    QString shown = QString::fromStdString(text);
    shown.replace("\r\n", "\n");
    QMessageBox box(layout.icon, QString::fromStdString(caption), shown, QMessageBox::NoButton,
                    parent);
    box.setObjectName("MsgBox");
    box.setTextFormat(Qt::PlainText);
    for (QMessageBox::StandardButton button : layout.buttons)
        box.addButton(button);
    box.setDefaultButton(layout.defaultButton);
    // A box with a single OK closes with Escape as OK; one with Cancel, as Cancel.
    if (layout.buttons.contains(QMessageBox::Cancel)) {
        box.setEscapeButton(QMessageBox::Cancel);
    } else if (layout.buttons.size() == 1) {
        box.setEscapeButton(layout.buttons.front());
    }
    box.exec();
    auto* clicked = box.clickedButton();
    if (clicked == nullptr) {
        return layout.buttons.size() == 1 ? AnswerFor(layout.buttons.front()) : msgbox::kCancel;
    }
    return AnswerFor(box.standardButton(clicked));
}

}  // namespace tessel::app
