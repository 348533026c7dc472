// What the help commands ask of the desktop: to show an address in its viewer or browser, and
// to start a program. Both can be replaced, so that tests record what would have been opened
// instead of starting a browser.
#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>
#include <functional>

namespace tessel::app {

struct DesktopServices {
    // Empty: the desktop's own handler for the address.
    std::function<bool(const QUrl&)> openUrl;
    // Empty: the program is started detached, in its own window.
    std::function<bool(const QString& program, const QStringList& arguments)> startProgram;

    bool OpenUrl(const QUrl& url) const;
    bool StartProgram(const QString& program, const QStringList& arguments) const;
};

}  // namespace tessel::app
