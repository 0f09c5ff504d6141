#pragma once

#include <QByteArray>

// The shapes of a modem's answers in verbose mode (ATV1): each line framed by CR LF.
namespace modemreply {

inline const QByteArray kOk = "\r\nOK\r\n";
inline const QByteArray kError = "\r\nERROR\r\n";

inline QByteArray info(const QByteArray &line)
{
    return "\r\n" + line + "\r\n";
}

inline QByteArray cmsError(int code)
{
    return "\r\n+CMS ERROR: " + QByteArray::number(code) + "\r\n";
}

} // namespace modemreply
