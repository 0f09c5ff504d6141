#include "portopeners.h"

#include <QHash>

namespace {

QHash<QString, PortOpener> &registry()
{
    static QHash<QString, PortOpener> openers;
    return openers;
}

} // namespace

void PortOpeners::set(const QString &name, PortOpener opener)
{
    registry().insert(name.toUpper(), std::move(opener));
}

PortOpener PortOpeners::find(const QString &name)
{
    return registry().value(name.toUpper());
}
