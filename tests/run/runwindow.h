#pragma once

#include "fakes.h"
#include "mainwindow.h"

#include <QStringList>
#include <memory>

class MessageComposer;
class RecipientList;

// The main window over a temporary application folder (with "logs"), started up, with
// settings for a run stored in ComDetails and the message log at level 2. Tests give the
// component factory.
struct RunWindow
{
    explicit RunWindow(SmsComponentFactory factory);

    RecipientList &list();
    MessageComposer &composer();
    QStringList numbers();
    void addNumbers(const QStringList &numbers);
    void setMessage(const QString &text);
    // Clicks cmdStartSending; the run happens inside the click.
    void start();
    void stop();
    void click(const char *button);
    QString panel(int number);
    QString label(const char *name);
    // message.log's lines without their date-time.
    QStringList messageLog();
    bool enabled(const char *name);

    TestContext tc;
    QString logs = tc.makeFolder(QStringLiteral("logs"));
    int terminations = 0;
    std::unique_ptr<MainWindow> window;
};
