#include "portlist.h"

#include "settingsrules.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QSerialPortInfo>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

QStringList portListEntries()
{
    QStringList entries = SettingsRules::comPortChoices();
    // Windows reports its ports as COMn, which the fixed entries already hold.
    static const QRegularExpression comName(QStringLiteral("^COM\\d+$"),
                                            QRegularExpression::CaseInsensitiveOption);
    for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts()) {
        if (comName.match(info.portName()).hasMatch())
            continue;
        const QString location = info.systemLocation();
        if (!location.isEmpty() && !entries.contains(location))
            entries << location;
    }
    entries << kSimulatorPort;
    return entries;
}

bool isExistingDevicePath(const QString &port)
{
    if (port.isEmpty())
        return false;
#ifdef Q_OS_UNIX
    if (!port.startsWith(QLatin1Char('/')))
        return false;
    struct stat status{};
    return ::stat(QFile::encodeName(port).constData(), &status) == 0 && S_ISCHR(status.st_mode);
#else
    // "\\.\COM300" and the like: device names the Windows enumeration may not report.
    return port.startsWith(QLatin1String("\\\\.\\")) && QFileInfo::exists(port);
#endif
}
