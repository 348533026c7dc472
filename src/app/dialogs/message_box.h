// Message boxes from the style numbers that the core uses: the button set, the icon and the
// default button of a style, and the answer number of the button pressed.
#pragma once

#include <QList>
#include <QMessageBox>
#include <string>

namespace tessel::app {

struct MessageBoxLayout {
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QList<QMessageBox::StandardButton> buttons;  // left to right
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
};

MessageBoxLayout LayoutForStyle(int style);
// msgbox::kOk, kCancel, ... for a button; kCancel for a box closed without a button.
int AnswerFor(QMessageBox::StandardButton button);
// Shows the box modally over `parent` and returns the answer.
int ShowMessageBox(QWidget* parent, const std::string& text, int style, const std::string& caption);

}  // namespace tessel::app
