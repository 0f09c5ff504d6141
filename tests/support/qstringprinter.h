#pragma once

#include <QString>
#include <ostream>
#include <string>

// A text quoted on one line: blanks other than the space and control characters shown as
// \uXXXX, so case names and failure messages stay readable.
inline std::string printable(const QString &text)
{
    std::string out = "\"";
    for (QChar c : text) {
        if (c == u' ' || (c.isPrint() && !c.isSpace()))
            out += QString(c).toStdString();
        else
            out += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0')).toStdString();
    }
    return out + '"';
}

// GoogleTest shows a QString as its text instead of its UTF-16 code units.
inline void PrintTo(const QString &text, std::ostream *out)
{
    *out << printable(text);
}
