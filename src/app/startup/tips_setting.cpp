#include "app/startup/tips_setting.h"

#include <QSettings>

namespace tessel::app {

namespace {

constexpr const char* kKey = "Options/Show Tips at Startup";

QSettings ProgramSettings() {
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, "Tessel", "Tessel");
}

}  // namespace

bool ShowTipsAtStartup() {
    bool isNumber = false;
    const int value = ProgramSettings().value(kKey, "1").toString().toInt(&isNumber);
    // Any value other than 0 means "show"; so does a text that is no number at all.
    return !isNumber || value != 0;
}

void SetShowTipsAtStartup(bool show) {
    ProgramSettings().setValue(kKey, show ? "1" : "0");
}

}  // namespace tessel::app
