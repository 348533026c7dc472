// What the main window tests share: a started main window over a temporary application
// directory, and a person who answers the modal dialogs that commands show.
#pragma once

#include <gtest/gtest.h>

#include <QMessageBox>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QUrl>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "support/temp_dir.h"

class QFileDialog;

namespace tessel::test::gui {

// A message box as the person saw it.
struct SeenBox {
    QString text;
    QString caption;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QList<QMessageBox::StandardButton> buttons;
};

// Answers modal dialogs in the order they appear, each with the next queued action.
class ModalPerson {
  public:
    ModalPerson();
    ~ModalPerson();

    // Queues an action for the next modal dialog.
    void Then(std::function<void(QWidget*)> action);
    // Presses a button of the next message box, after recording it.
    void PressInBox(QMessageBox::StandardButton button);
    // Chooses a path in the next file dialog (typed as a person would, so the default
    // extension applies), or cancels it.
    void ChooseInFileDialog(const QString& path);
    void CancelFileDialog();

    std::vector<SeenBox> boxes;
    // Titles of the file dialogs answered.
    std::vector<QString> fileDialogTitles;
    // Dialogs that appeared with no action queued (each was closed).
    int unexpected = 0;
    bool AllAnswered() const { return actions_.empty(); }

  private:
    void Poll();

    std::deque<std::function<void(QWidget*)>> actions_;
    std::vector<QPointer<QWidget>> handled_;
    QTimer timer_;
};

// A main window started over a temporary TESSEL_HOME, shown at a known size.
class MainWindowTest : public ::testing::Test {
  protected:
    MainWindowTest();
    ~MainWindowTest() override;

    app::MainWindow& Window() { return *window_; }
    Session& Sess() { return window_->GetSession(); }
    std::string Home() const { return home_.Path().string(); }
    std::string ScriptsDir() const { return Home() + "/scripts"; }
    // Lets posted events and timers run.
    static void Settle(int milliseconds = 0);

    TempDir home_;
    ModalPerson person_;
    // What the window asked the desktop to open or start; nothing is really opened.
    std::vector<QUrl> openedUrls_;
    std::vector<QString> startedPrograms_;
    // What the desktop answers: false as if no browser or program could be started.
    bool desktopAnswers_ = true;
    std::unique_ptr<app::MainWindow> window_;
};

std::string Std(const QString& text);

// Saves a picture of `widget` as it is drawn, as a PNG named `name` in $TESSEL_SCREENSHOT_DIR
// when that is set (bench/screenshot.sh sets it), otherwise in `fallback`; returns its path.
std::string SaveScreenshot(QWidget& widget, const std::string& name, const std::string& fallback);

}  // namespace tessel::test::gui
