#include "fakes.h"

#include <QDir>

QString TestContext::makeFolder(const QString &name) const
{
    QDir(data.path()).mkpath(name);
    return data.path() + QLatin1Char('/') + name + QLatin1Char('/');
}
