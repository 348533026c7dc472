// The larger bold type of a dialog's heading line (the tip window's "Did you know...", the
// about box's title).
#pragma once

#include <QFont>
#include <QLabel>

namespace tessel::app {

inline void UseHeadingFont(QLabel& label) {
    QFont font = label.font();
    font.setBold(true);
    font.setPointSize(font.pointSize() + 4);
    label.setFont(font);
}

}  // namespace tessel::app
