// The row of buttons at the foot of the program's dialogs: pushed to the right, in the order
// given (OK before Cancel).
#pragma once

#include <QHBoxLayout>
#include <QPushButton>
#include <initializer_list>

namespace tessel::app {

inline QHBoxLayout* ButtonRow(std::initializer_list<QPushButton*> buttons) {
    auto* row = new QHBoxLayout;
    row->addStretch();
    for (QPushButton* button : buttons)
        row->addWidget(button);
    return row;
}

}  // namespace tessel::app
