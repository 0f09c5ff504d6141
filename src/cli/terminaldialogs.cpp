#include "terminaldialogs.h"

#include <cstdio>

void TerminalDialogs::writeToStderr(const QString &line)
{
    std::fprintf(stderr, "%s\n", line.toUtf8().constData());
    std::fflush(stderr);
}

Dialogs::Answer TerminalDialogs::message(const QString &text, Icon, Buttons buttons, const QString &)
{
    QString line = text;
    line.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    if (buttons == Buttons::Ok) {
        m_write(line);
        return Answer::Ok;
    }
    // The start question is answered by the command itself; what the run will cost, below
    // the question, is worth seeing.
    static const QString kStart = QStringLiteral("Start sending messages?");
    if (line.startsWith(kStart))
        m_write(line.mid(kStart.size()).trimmed());
    else
        m_write(line + QLatin1String(" yes"));
    return Answer::Yes;
}
