#include "terminaldialogs.h"

Dialogs::Answer TerminalDialogs::message(const QString &text, Icon, Buttons buttons, const QString &)
{
    QString line = text;
    line.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    if (buttons == Buttons::YesNo) {
        if (line != QLatin1String("Start sending messages?"))
            std::fprintf(m_out, "%s yes\n", line.toUtf8().constData());
        std::fflush(m_out);
        return Answer::Yes;
    }
    std::fprintf(m_out, "%s\n", line.toUtf8().constData());
    std::fflush(m_out);
    return Answer::Ok;
}
