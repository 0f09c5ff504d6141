#include "mainwindow.h"

#include "common/clock.h"
#include "common/dialogs.h"
#include "common/paths.h"
#include "common/shell.h"

#ifdef QUILLO_HAVE_KESTREL
#include "kestrel/kestrel.h"
#endif

#include <QApplication>
#include <cstdio>
#include <cstdlib>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillo"));

    AppState state;
    QtDialogs dialogs;
    DesktopShell shell;
    SystemClock clock;
#ifdef QUILLO_HAVE_KESTREL
    SmsComponentFactory factory = [] { return createKestrel(); };
#else
    SmsComponentFactory factory = []() -> std::unique_ptr<SmsComponent> {
        throw QuilloError(429, QStringLiteral("ActiveX component can't create object"), QStringLiteral("Kestrel"));
    };
#endif
    AppContext context{state, dialogs, shell, clock, factory, AddBackslash(QApplication::applicationDirPath())};

    // Ending the application is immediate: nothing is saved on the way out.
    MainWindow window(context, [] {
        std::fflush(nullptr);
        std::_Exit(0);
    });
    dialogs.setParent(&window);
    window.Form_Load();
    window.show();
    return app.exec();
}
