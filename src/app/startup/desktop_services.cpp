#include "app/startup/desktop_services.h"

#include <QDesktopServices>
#include <QProcess>

namespace tessel::app {

bool DesktopServices::OpenUrl(const QUrl& url) const {
    return openUrl ? openUrl(url) : QDesktopServices::openUrl(url);
}

bool DesktopServices::StartProgram(const QString& program, const QStringList& arguments) const {
    return startProgram ? startProgram(program, arguments)
                        : QProcess::startDetached(program, arguments);
}

}  // namespace tessel::app
