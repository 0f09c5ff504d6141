#include "shell.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

bool DesktopShell::open(const QString &target)
{
    if (target.isEmpty())
        return false;
    const QUrl url = QUrl::fromUserInput(target);
    // A local document must exist: the desktop's opener would otherwise fail silently.
    if (url.isLocalFile() && !QFileInfo::exists(url.toLocalFile()))
        return false;
    return QDesktopServices::openUrl(url);
}

bool DesktopShell::openHelp(const QString &helpFolder, const QString &topic)
{
    return open(QDir(helpFolder).filePath(topic));
}
