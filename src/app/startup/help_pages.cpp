#include "app/startup/help_pages.h"

#include <QFileInfo>
#include <filesystem>

#include "core/base/atomic_file.h"
#include "core/session/app_paths.h"
#include "core/session/standard_error.h"

namespace tessel::app {

namespace {

namespace fs = std::filesystem;

// Help context numbers by menu: each range is one page.
struct ContextRange {
    int first;
    int last;
    const char* page;
};

constexpr ContextRange kContextPages[] = {
    {7, 14, "menu-file.html"},   {15, 21, "menu-edit.html"}, {22, 24, "menu-script.html"},
    {25, 32, "menu-tools.html"}, {33, 35, "menu-help.html"},
};

// The name of the page that forwards to an anchor; one per user, replaced each time.
constexpr const char* kForwardPage = "help-topic.html";

QString HtmlEscaped(const QString& text) {
    return text.toHtmlEscaped();
}

}  // namespace

std::string HelpDirectory() {
    std::error_code code;
    const fs::path installed = fs::path(DataDirectory()) / "help";
    if (fs::is_directory(installed, code))
        return installed.string();
    return TESSEL_HELP_DIR;
}

QString ContextAnchor(int helpContext) {
    return QString("context-%1").arg(helpContext);
}

bool HasHelpTopic(int helpContext) {
    for (const ContextRange& range : kContextPages) {
        if (helpContext >= range.first && helpContext <= range.last)
            return true;
    }
    return false;
}

HelpTopic HelpTopicFor(int helpContext) {
    for (const ContextRange& range : kContextPages) {
        if (helpContext >= range.first && helpContext <= range.last)
            return {range.page, ContextAnchor(helpContext)};
    }
    return {kHelpContentsPage, ""};
}

void ShowHelpTopic(const DesktopServices& desktop, const std::string& helpDirectory,
                   const std::string& workDirectory, const HelpTopic& topic) {
    const QString page = QString::fromStdString(helpDirectory) + "/" + topic.page;
    if (!QFileInfo(page).isFile()) {
        throw ProgramError(db::err::kFileNotFound,
                           "The help page " + page.toStdString() +
                               " was not found. The help pages are installed with the program; "
                               "install it again to bring them back.");
    }
    QUrl target = QUrl::fromLocalFile(page);
    QUrl shown = target;
    if (!topic.anchor.isEmpty()) {
        target.setFragment(topic.anchor);
        // Some desktop openers take a file address as a file name and lose "#anchor"; a page
        // without one that moves on at once reaches the anchor in every viewer.
        const std::string forward = workDirectory + "/" + kForwardPage;
        const QString address = HtmlEscaped(target.toString(QUrl::FullyEncoded));
        const QString html =
            "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\">"
            "<meta http-equiv=\"refresh\" content=\"0; url=" +
            address + "\"><title>Help</title></head><body><p><a href=\"" + address + "\">" +
            HtmlEscaped(topic.page + "#" + topic.anchor) + "</a></p></body></html>\n";
        try {
            base::WriteFileAtomically(forward, html.toStdString());
            shown = QUrl::fromLocalFile(QString::fromStdString(forward));
        } catch (const base::FileWriteError&) {
            // Without the forwarding page the viewer still gets the page, perhaps at its top.
            shown = target;
        }
    }
    if (!desktop.OpenUrl(shown)) {
        throw ProgramError(kCannotStartViewer,
                           "No help viewer could be started for " +
                               target.toString().toStdString() +
                               ". Install a web browser or set one as the desktop's default.");
    }
}

}  // namespace tessel::app
