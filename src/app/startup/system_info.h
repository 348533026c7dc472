// The system information program of the desktop, for the about box's "&System Info": the
// first of the known viewers of hardware and system facts that is on the PATH.
#pragma once

#include <QString>
#include <QStringList>

namespace tessel::app {

struct SystemInfoProgram {
    QString path;  // "" when none was found
    QStringList arguments;
};

SystemInfoProgram FindSystemInfoProgram();

}  // namespace tessel::app
