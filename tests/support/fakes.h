#pragma once

#include "common/appcontext.h"
#include "scripteddialogs.h"

#include <QStringList>
#include <QTemporaryDir>
#include <functional>

// Records what the program asked the shell to open; answers with `result`.
class RecordingShell : public Shell
{
public:
    bool open(const QString &target) override
    {
        opened << target;
        return result;
    }
    bool openHelp(const QString &helpFolder, const QString &topic) override
    {
        helpOpened << helpFolder + QLatin1Char('|') + topic;
        return result;
    }
    bool result = true;
    QStringList opened;
    QStringList helpOpened;
};

// A clock that never waits: sleep advances the time it tells, and tells onSleep, where a
// test can act during a wait.
class FakeClock : public Clock
{
public:
    void sleep(int ms) override
    {
        sleptMs += ms;
        now += ms;
        if (onSleep)
            onSleep();
    }
    std::function<void()> onSleep;
    qint64 nowMs() override { return now; }
    qint64 now = 1'000'000;
    qint64 sleptMs = 0;
};

// A complete context over fresh temporary folders: two, so that a part reading or writing in
// the wrong one is caught.
struct TestContext
{
    TestContext()
        : context{state, dialogs, shell, clock, {}, folder.path() + QLatin1Char('/'), data.path() + QLatin1Char('/')}
    {
    }
    // Makes "logs", "Phone Lists" or "Message Files" under the data folder.
    QString makeFolder(const QString &name) const;

    QTemporaryDir folder; // the program's folder
    QTemporaryDir data;   // the data folder
    AppState state;
    ScriptedDialogs dialogs;
    RecordingShell shell;
    FakeClock clock;
    AppContext context;
};
