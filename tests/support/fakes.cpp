#include "fakes.h"

#include <QDir>

QString TestContext::makeFolder(const QString &name) const
{
    QDir(folder.path()).mkpath(name);
    return folder.path() + QLatin1Char('/') + name + QLatin1Char('/');
}
