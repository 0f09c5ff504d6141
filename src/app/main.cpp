#include "artwork.h"
#include "mainwindow.h"
#include "singleinstance.h"
#include "splashwindow.h"

#include "common/clock.h"
#include "common/datafolder.h"
#include "common/dialogs.h"
#include "common/paths.h"
#include "common/shell.h"

#include "kestrel/kestrel.h"
#include "modemsim/simulatorport.h"

#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <memory>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillo"));
    QApplication::setWindowIcon(Artwork::appIcon());
    // Matches the desktop entry, so the window is grouped under its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("quillo"));

    AppState state;
    QtDialogs dialogs;
    DesktopShell shell;
    SystemClock clock;
    installSimulatorPort();
    SmsComponentFactory factory = [] { return createKestrel(); };
    const QString programFolder = AddBackslash(QApplication::applicationDirPath());
    const DataFolder data = locateDataFolder(programFolder);
    AppContext context{state, dialogs, shell, clock, factory, programFolder, data.path};

    SingleInstance instance;
    std::unique_ptr<MainWindow> window;
    SplashWindow splash(context, [&] { return instance.anotherInstanceRunning(); });
    const SplashWindow::Outcome outcome = splash.Form_Load([&] {
        // Ending the application is immediate: nothing is saved on the way out.
        window = std::make_unique<MainWindow>(context, [] {
            std::fflush(nullptr);
            std::_Exit(0);
        });
        dialogs.setParent(window.get());
        window->Form_Load();
        window->show();
        if (!data.error.isEmpty())
            dialogs.critical(data.error);
        window->offerInterruptedRuns();
    });
    switch (outcome) {
    case SplashWindow::Outcome::SecondInstance:
        return 0;
    case SplashWindow::Outcome::Failed:
        return 1;
    case SplashWindow::Outcome::MainShown:
        break;
    }
    return app.exec();
}
