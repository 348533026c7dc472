// The help pages: HTML written for this program, installed with it, one anchor for every help
// context number that a menu item carries. A topic is a page and an anchor in it; the pages are
// shown by the desktop's viewer.
#pragma once

#include <QString>
#include <QUrl>
#include <string>

#include "app/startup/desktop_services.h"

namespace tessel::app {

inline constexpr const char* kHelpContentsPage = "index.html";
// The error number of a viewer or browser that could not be started.
inline constexpr long kCannotStartViewer = 429;

struct HelpTopic {
    QString page;    // file name inside the help directory
    QString anchor;  // "" for the top of the page
};

// The installed help pages beside the program's data, else the pages of the source tree.
std::string HelpDirectory();

// The page and anchor of a help context number; the contents page for 0 and for a number
// that has no topic of its own.
HelpTopic HelpTopicFor(int helpContext);
// True when the number has a topic of its own.
bool HasHelpTopic(int helpContext);
// The anchor that a help context number has in its page: "context-7".
QString ContextAnchor(int helpContext);

// Shows a topic from `helpDirectory` in the desktop's viewer. Viewers that drop the anchor of
// a file address are given a small page in `workDirectory` that moves on to the anchor.
// Throws the standard error (file not found, or the viewer could not be started).
void ShowHelpTopic(const DesktopServices& desktop, const std::string& helpDirectory,
                   const std::string& workDirectory, const HelpTopic& topic);

}  // namespace tessel::app
