#include "app/startup/program.h"

#include <QApplication>
#include <QIcon>
#include <QSessionManager>

#include "app/main_window.h"
#include "app/startup/splash_window.h"
#include "core/session/app_paths.h"

namespace tessel::app {

int RunProgram(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setOrganizationName("Tessel");
    QApplication::setApplicationName("Tessel");
    QApplication::setDesktopFileName("tessel");
    QApplication::setWindowIcon(QIcon(":/icons/tessel.svg"));

    SplashWindow splash;
    splash.ShowNow();

    MainWindow window;
    QObject::connect(&window, &MainWindow::ProgramEnded, &application, &QApplication::quit);
    // The desktop session ending asks the closing question like any other way of closing.
    QObject::connect(&application, &QGuiApplication::commitDataRequest, &window,
                     [&window](QSessionManager& manager) {
                         if (!window.close())
                             manager.cancel();
                     });
    window.Load(ResolveAppPath());
    splash.StartTimer(SplashWindow::kShowMilliseconds, [&window] { window.ShowAfterSplash(); });
    return application.exec();
}

}  // namespace tessel::app
