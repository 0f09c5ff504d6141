#include "cliarguments.h"
#include "clicommands.h"
#include "clioptout.h"
#include "clireplies.h"
#include "terminaldialogs.h"

#include "common/clock.h"
#include "common/error.h"
#include "common/datafolder.h"
#include "common/paths.h"
#include "common/shell.h"
#include "kestrel/kestrel.h"
#include "modemsim/simulatorport.h"
#include "recipients/numbernormaliser.h"
#include "settings/settingsstore.h"

#include <QCoreApplication>
#include <cstdio>
#include <unistd.h>

namespace {

// Nothing is opened on a desktop from the command line.
class NoShell : public Shell
{
public:
    bool open(const QString &) override { return false; }
    bool openHelp(const QString &, const QString &) override { return false; }
};

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    // The data folder is the window's: the same name gives the same per-user folder.
    QCoreApplication::setApplicationName(QStringLiteral("Quillo"));

    const CliParse parse = parseCliArguments(QCoreApplication::arguments().mid(1));
    if (!parse.error.isEmpty()) {
        std::fprintf(stderr, "quillo-cli: %s\n%s", parse.error.toUtf8().constData(),
                     "Try 'quillo-cli --help'.\n");
        return kBadInput;
    }
    const CliCommand &command = parse.command;
    TerminalDialogs dialogs;
    switch (command.kind) {
    case CliCommand::Kind::Help:
        std::fputs(cliUsage(command.helpTopic).toUtf8().constData(), stdout);
        return 0;
    case CliCommand::Kind::Numbers:
    case CliCommand::Kind::OptOut:
    case CliCommand::Kind::Send:
    case CliCommand::Kind::Resume:
    case CliCommand::Kind::Replies:
        break;
    }

    const QString programFolder = AddBackslash(QCoreApplication::applicationDirPath());
    const DataFolder data = locateDataFolder(programFolder);
    if (!data.error.isEmpty())
        std::fprintf(stderr, "quillo-cli: %s\n", data.error.toUtf8().constData());
    if (command.kind == CliCommand::Kind::Numbers || command.kind == CliCommand::Kind::OptOut) {
        const NumberNormaliser normaliser(command.send.country.value_or(SettingsStore(data.path).load().Country));
        if (command.kind == CliCommand::Kind::OptOut)
            return runOptOut(command, data.path, normaliser, stdout);
        return runNumbers(command.source, normaliser, dialogs, stdout);
    }

    if (command.kind == CliCommand::Kind::Replies) {
        installSimulatorPort();
        return runReplies(command, data.path, [] { return createKestrel(); }, stdout);
    }

    AppState state;
    NoShell shell;
    SystemClock clock;
    installSimulatorPort();
    SmsComponentFactory factory = [] { return createKestrel(); };
    AppContext context{state, dialogs, shell, clock, factory, programFolder, data.path};
    const bool terminal = isatty(fileno(stdout)) != 0;
    try {
        if (command.kind == CliCommand::Kind::Resume)
            return runResume(command, context, dialogs, stdout, terminal);
        return runSend(command, context, dialogs, stdout, terminal);
    } catch (...) {
        // The run itself reports its own failures; what gets here failed around it (a
        // journal that cannot be closed), so the program says what and gives up cleanly.
        const QuilloError error = currentError();
        std::fprintf(stderr, "quillo-cli: %s\n", error.description().toUtf8().constData());
        return kSomeNotSent;
    }
}
