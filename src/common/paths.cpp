#include "paths.h"

#include <QDir>
#include <QFileInfo>

bool FolderExists(const QString &path)
{
    if (path.isEmpty())
        return false;
    const QFileInfo info(path);
    return info.exists() && info.isDir();
}

QString AddBackslash(const QString &path)
{
    if (path.isEmpty())
        return path;
    const QChar separator = QDir::separator();
    // Either separator ends a path on Windows; Qt accepts "/" everywhere.
    if (path.endsWith(separator) || path.endsWith(QLatin1Char('/')))
        return path;
    return path + separator;
}

QString PreferredFolder(const QString &preferred, const QString &fallback)
{
    return FolderExists(preferred) ? preferred : fallback;
}
