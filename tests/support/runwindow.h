#pragma once

#include "fakes.h"
#include "app/mainwindow.h"
#include "sending/runjournal.h"

#include <QStringList>
#include <memory>

class MessageComposer;
class RecipientList;

inline const QString kStart = QStringLiteral("Start sending messages?");
inline const QString kAbort = QStringLiteral("Abort sending remaining messages?");
inline const QString kExit = QStringLiteral("Close and Exit Quillo?");
inline const QString kLowSignal = QStringLiteral("GSM network signal strength is very low.\r\nDo you want to continue?");

// The main window over a temporary application folder (with "logs"), started up, with
// settings for a run stored in ComDetails and the message log at level 2.
struct RunWindow
{
    explicit RunWindow(SmsComponentFactory factory);

    // The completion box, with its note when numbers failed and its line for opted-out ones.
    static QString completeBox(int sent, int failed, int skipped = 0);
    RecipientList &list();
    MessageComposer &composer();
    QStringList numbers();
    void setNumbers(const QStringList &numbers); // replaces the list
    void setMessage(const QString &text);
    void setWapPush(bool on, const QString &url = QString());
    // Clicks cmdStartSending; the run happens inside the click.
    void start();
    // Answers Yes to the start question and expects the completion box.
    void runToCompletion(int sent, int failed, int skipped = 0);
    void stop();
    void click(const char *button);
    QString panel(int number);
    QString label(const char *name);
    int signalBar();
    QStringList messageLog(); // message.log's lines without their date-time
    // The newest run journal in logs, or an empty state; runs of one second are -2, -3...
    RunJournalState lastJournal() const;
    bool enabled(const char *name);

    TestContext tc;
    QString logs = tc.makeFolder(QStringLiteral("logs"));
    int terminations = 0;
    std::unique_ptr<MainWindow> window;
};
