#include "app/window/window_icon.h"

#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

// The icon's resource lives in a static library: registered by hand, as
// nothing else would pull it in. (The macro cannot stand in a namespace.)
static void registerIconResource()
{
    Q_INIT_RESOURCE(icon);
}

namespace tsl {

QIcon tessaloomIcon()
{
    registerIconResource();
    QSvgRenderer svg(QString(":/tessaloom.svg"));
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        svg.render(&painter);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

} // namespace tsl
