#include "app/startup/system_info.h"

#include <QStandardPaths>

namespace tessel::app {

namespace {

struct Candidate {
    const char* program;
    QStringList arguments;
};

}  // namespace

SystemInfoProgram FindSystemInfoProgram() {
    // Dedicated system information viewers first, then the desktops' own "about this system".
    const Candidate candidates[] = {
        {"hardinfo", {}},
        {"kinfocenter", {}},
        {"gnome-control-center", {"info-overview"}},
        {"xfce4-about", {"--system"}},
        {"lshw-gtk", {}},
    };
    for (const Candidate& candidate : candidates) {
        const QString path = QStandardPaths::findExecutable(candidate.program);
        if (!path.isEmpty())
            return {path, candidate.arguments};
    }
    return {};
}

}  // namespace tessel::app
