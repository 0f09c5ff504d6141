#include "artwork.h"

#include <QFile>
#include <mutex>

// The resources live in a static library: nothing else refers to their object file, so the
// linker would drop them unless they are registered by hand.
static void registerQuilloResources()
{
    Q_INIT_RESOURCE(quillo);
}

namespace Artwork {

namespace {

void ensureRegistered()
{
    static std::once_flag once;
    std::call_once(once, registerQuilloResources);
}

QString resourcePath(const QString &fileName)
{
    return QStringLiteral(":/quillo/") + fileName;
}

} // namespace

QIcon appIcon()
{
    ensureRegistered();
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256})
        icon.addFile(resourcePath(QStringLiteral("icons/quillo-%1.png").arg(size)), QSize(size, size));
    return icon;
}

QPixmap picture(const QString &name, qreal devicePixelRatio)
{
    ensureRegistered();
    // Take the 2x drawing on any screen finer than 1x: downscaling it looks better than
    // upscaling the 1x one.
    const bool fine = devicePixelRatio > 1.0;
    const QString hiRes = resourcePath(name + QStringLiteral("@2x.png"));
    if (fine && QFile::exists(hiRes)) {
        QPixmap pixmap(hiRes);
        pixmap.setDevicePixelRatio(2.0);
        return pixmap;
    }
    return QPixmap(resourcePath(name + QStringLiteral(".png")));
}

} // namespace Artwork
