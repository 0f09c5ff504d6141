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
    if (line != QLatin1String("Start sending messages?"))
        m_write(line + QLatin1String(" yes"));
    return Answer::Yes;
}
