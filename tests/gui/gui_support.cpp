#include "gui_support.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QImage>
#include <QLineEdit>
#include <cstdlib>
#include <filesystem>

#include "core/session/session.h"

namespace tessel::test::gui {

std::string Std(const QString& text) {
    return text.toStdString();
}

std::string SaveScreenshot(QWidget& widget, const std::string& name, const std::string& fallback) {
    const char* wanted = std::getenv("TESSEL_SCREENSHOT_DIR");
    const std::filesystem::path directory = wanted != nullptr ? wanted : fallback;
    std::filesystem::create_directories(directory);
    const std::string path = (directory / name).string();
    const QImage picture = widget.grab().toImage();
    EXPECT_TRUE(picture.save(QString::fromStdString(path), "PNG")) << path;
    return path;
}

ModalPerson::ModalPerson() {
    timer_.setInterval(10);
    QObject::connect(&timer_, &QTimer::timeout, [this] { Poll(); });
    timer_.start();
}

ModalPerson::~ModalPerson() {
    timer_.stop();
}

void ModalPerson::Then(std::function<void(QWidget*)> action) {
    actions_.push_back(std::move(action));
}

void ModalPerson::PressInBox(QMessageBox::StandardButton button) {
    Then([this, button](QWidget* widget) {
        auto* box = qobject_cast<QMessageBox*>(widget);
        ASSERT_NE(box, nullptr) << "expected a message box, got " << Std(widget->objectName());
        SeenBox seen{box->text(), box->windowTitle(), box->icon(), {}};
        for (QAbstractButton* b : box->buttons())
            seen.buttons << box->standardButton(b);
        boxes.push_back(seen);
        QAbstractButton* target = box->button(button);
        ASSERT_NE(target, nullptr) << "the box has no such button: " << Std(box->text());
        target->click();
    });
}

void ModalPerson::ChooseInFileDialog(const QString& path) {
    Then([this, path](QWidget* widget) {
        auto* dialog = qobject_cast<QFileDialog*>(widget);
        ASSERT_NE(dialog, nullptr) << "expected a file dialog, got " << Std(widget->objectName());
        fileDialogTitles.push_back(dialog->windowTitle());
        const QFileInfo info(path);
        dialog->setDirectory(info.absolutePath());
        auto* nameEdit = dialog->findChild<QLineEdit*>("fileNameEdit");
        ASSERT_NE(nameEdit, nullptr);
        nameEdit->setText(info.fileName());
        QMetaObject::invokeMethod(dialog, "accept");
    });
}

void ModalPerson::CancelFileDialog() {
    Then([this](QWidget* widget) {
        auto* dialog = qobject_cast<QFileDialog*>(widget);
        ASSERT_NE(dialog, nullptr) << "expected a file dialog, got " << Std(widget->objectName());
        fileDialogTitles.push_back(dialog->windowTitle());
        QMetaObject::invokeMethod(dialog, "reject");
    });
}

void ModalPerson::Poll() {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr || !modal->isVisible())
        return;
    for (const QPointer<QWidget>& done : handled_) {
        if (done == modal)
            return;
    }
    handled_.emplace_back(modal);
    if (actions_.empty()) {
        ++unexpected;
        ADD_FAILURE() << "unexpected dialog: " << Std(modal->windowTitle()) << " "
                      << (qobject_cast<QMessageBox*>(modal)
                              ? Std(qobject_cast<QMessageBox*>(modal)->text())
                              : std::string());
        modal->close();
        return;
    }
    auto action = std::move(actions_.front());
    actions_.pop_front();
    QPointer<QWidget> guard(modal);
    // The action runs outside this timer's slot: a timer does not fire again while its slot
    // runs, and an action may open a dialog of its own that the next poll must answer.
    QTimer::singleShot(0, [guard, action = std::move(action)] {
        if (!guard)
            return;
        action(guard.data());
        // An action that failed half way must not leave the test waiting on an open dialog.
        if (guard && guard->isVisible()) {
            if (auto* dialog = qobject_cast<QDialog*>(guard.data())) {
                dialog->reject();
            } else {
                guard->close();
            }
        }
    });
}

MainWindowTest::MainWindowTest() {
    setenv("TESSEL_HOME", Home().c_str(), 1);
    app::MainWindowOptions options{false};
    options.desktop.openUrl = [this](const QUrl& url) {
        openedUrls_.push_back(url);
        return desktopAnswers_;
    };
    options.desktop.startProgram = [this](const QString& program, const QStringList&) {
        startedPrograms_.push_back(program);
        return desktopAnswers_;
    };
    window_ = std::make_unique<app::MainWindow>(options);
    window_->Load(Home());
    window_->resize(1000, 700);
    window_->show();
    Settle();
}

MainWindowTest::~MainWindowTest() {
    window_.reset();
    Settle();
    EXPECT_EQ(person_.unexpected, 0);
    EXPECT_TRUE(person_.AllAnswered()) << "a queued answer found no dialog";
}

void MainWindowTest::Settle(int milliseconds) {
    QElapsedTimer clock;
    clock.start();
    do {
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    } while (clock.elapsed() < milliseconds);
}

}  // namespace tessel::test::gui
