#pragma once

#include <QIcon>
#include <QPixmap>
#include <QString>

// Quillo's own pictures, compiled into the program: the application icon, the splash
// artwork and the About tab's pictures, each drawn at 1x and 2x for high-DPI screens.
namespace Artwork {

// The application icon in every size the desktop asks for.
QIcon appIcon();

// A picture by its resource name ("splash", "about-logo", ...), for a widget on a screen of
// the given device pixel ratio. A missing picture gives a null pixmap.
QPixmap picture(const QString &name, qreal devicePixelRatio);

} // namespace Artwork
