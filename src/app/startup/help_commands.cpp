#include "app/startup/help_commands.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>

#include "app/dialogs/about_dialog.h"
#include "app/dialogs/message_box.h"
#include "app/dialogs/tip_of_day_dialog.h"
#include "app/main_window.h"
#include "app/startup/help_pages.h"
#include "app/widget_ui.h"
#include "core/session/failures.h"
#include "core/session/session.h"
#include "core/session/standard_error.h"
#include "core/ui.h"

namespace tessel::app {

QUrl HomePageUrl(const std::string& helpDirectory) {
    const QString configured = TESSEL_HOMEPAGE_URL;
    if (!configured.isEmpty())
        return QUrl(configured);
    return QUrl::fromLocalFile(QString::fromStdString(helpDirectory) + "/" + kHelpContentsPage);
}

HelpCommands::HelpCommands(MainWindow& window, DesktopServices desktop)
    : QObject(&window), window_(window), desktop_(std::move(desktop)) {
    setObjectName("helpCommands");
    window.BindCommand("mnuHelpTopics", [this] { ShowContents(); });
    window.BindCommand("mnuHelpWeb", [this] { WebLaunch(HomePageUrl(HelpDirectory())); });
    window.BindCommand("mnuHelpAbout", [this] { ShowAbout(); });
    window.BindStartupTips([this] { ShowTipOfDay(); });
    for (QMenu* menu : window.findChildren<QMenu*>())
        menu->installEventFilter(this);
}

std::string HelpCommands::AppPath() const {
    return window_.GetSession().state.app.appPath;
}

TipOfDayDialog* HelpCommands::TipWindow() const {
    return tipWindow_.data();
}

void HelpCommands::ShowContents() {
    ShowHelpTopic(desktop_, HelpDirectory(), AppPath(), HelpTopicFor(0));
}

void HelpCommands::ShowContext(int helpContext) {
    ShowHelpTopic(desktop_, HelpDirectory(), AppPath(), HelpTopicFor(helpContext));
}

void HelpCommands::WebLaunch(const QUrl& address) {
    ++webLaunchCount_;
    // Each launch hands the address to the desktop, so a browser the person closed since the
    // last one is simply started again.
    if (!desktop_.OpenUrl(address)) {
        ShowMessageBox(&window_,
                       "The web browser could not be started to show " +
                           address.toString().toStdString() +
                           ". Set a default web browser for the desktop and try again.",
                       msgbox::kCritical, std::to_string(kCannotStartViewer));
    }
}

void HelpCommands::ShowTipOfDay() {
    if (tipWindow_) {
        tipWindow_->show();
        tipWindow_->raise();
        tipWindow_->activateWindow();
        return;
    }
    auto* tips = new TipOfDayDialog(QString::fromStdString(AppPath()), &window_);
    tips->setAttribute(Qt::WA_DeleteOnClose);
    if (!tips->Load()) {
        delete tips;
        return;
    }
    tipWindow_ = tips;
    tips->show();
}

void HelpCommands::ShowAbout() {
    AboutDialog about(desktop_, &window_);
    about.exec();
}

bool HelpCommands::eventFilter(QObject* watched, QEvent* event) {
    // F1 on a highlighted menu item opens that item's topic, as the help context numbers
    // promise; elsewhere in a menu it opens the contents.
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_F1) {
        if (auto* menu = qobject_cast<QMenu*>(watched)) {
            const QAction* item = menu->activeAction();
            const int context = item ? item->property("helpContext").toInt() : 0;
            while (QWidget* popup = QApplication::activePopupWidget())
                popup->close();
            try {
                ShowContext(context);
            } catch (const std::exception& error) {
                ShowStandardError(window_.GetUi(), AsEngineError(error));
            }
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace tessel::app
