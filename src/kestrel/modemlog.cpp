#include "modemlog.h"

#include <QDateTime>
#include <QDir>
#include <QFile>

void ModemLog::setFolder(const QString &folder)
{
    QString f = folder.trimmed();
#ifndef Q_OS_WIN
    // The application builds the folder with backslashes; on this platform they are slashes.
    f.replace(u'\\', u'/');
#endif
    m_folder = f;
}

QString ModemLog::filePath() const
{
    if (m_folder.isEmpty())
        return QString::fromLatin1(kFileName);
    return QDir(m_folder).filePath(QString::fromLatin1(kFileName));
}

void ModemLog::error(const QString &text)
{
    if (m_level >= 1)
        write("ERROR ", text);
}

void ModemLog::status(const QString &text)
{
    if (m_level >= 2)
        write("STATUS", text);
}

void ModemLog::write(const char *kind, const QString &text)
{
    if (m_folder.isEmpty() || !QDir(m_folder).exists())
        return;
    QFile file(filePath());
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return;
    const QString line = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss.zzz"))
                         + u' ' + QLatin1String(kind) + u' ' + text + QStringLiteral("\r\n");
    file.write(line.toUtf8());
}

void ModemLog::clear(bool keepBackup)
{
    if (m_folder.isEmpty() || !QDir(m_folder).exists())
        return;
    const QString path = filePath();
    if (keepBackup && QFile::exists(path)) {
        QFile::remove(path + QStringLiteral(".bak"));
        QFile::copy(path, path + QStringLiteral(".bak"));
    }
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.close();
}
