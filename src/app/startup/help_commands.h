// The Help menu's commands on the main window: contents, the web site, the tip of the day and
// the about box, and F1 on a highlighted menu item for that item's help topic.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>

#include "app/startup/desktop_services.h"

namespace tessel::app {

class MainWindow;
class TipOfDayDialog;

// The project's home page that Help > Web opens; the help contents page when the build names
// none.
QUrl HomePageUrl(const std::string& helpDirectory);

class HelpCommands : public QObject {
    Q_OBJECT
  public:
    // Binds the commands to `window`'s menu items; lives as the window's child.
    HelpCommands(MainWindow& window, DesktopServices desktop);

    // Help > Contents and index, and the toolbar's help button.
    void ShowContents();
    // The topic of a help context number.
    void ShowContext(int helpContext);
    // Help > Web.
    void WebLaunch(const QUrl& address);
    // The tip window, modeless; none when "Show Tips at Startup" is off.
    void ShowTipOfDay();
    // Help > About, modal.
    void ShowAbout();

    TipOfDayDialog* TipWindow() const;
    // How many times the web command has run.
    int WebLaunchCount() const { return webLaunchCount_; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    std::string AppPath() const;

    MainWindow& window_;
    DesktopServices desktop_;
    QPointer<TipOfDayDialog> tipWindow_;
    int webLaunchCount_ = 0;
};

}  // namespace tessel::app
