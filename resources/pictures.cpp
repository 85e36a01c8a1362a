#include "pictures.h"

#include <QPixmap>
#include <QString>

namespace Pictures {

QIcon applicationIcon()
{
    QIcon icon;
    icon.addFile(QStringLiteral(":/pictures/vidizizor-32.xpm"), QSize(32, 32));
    icon.addFile(QStringLiteral(":/pictures/vidizizor-16.xpm"), QSize(16, 16));
    return icon;
}

QImage imlImage(int index)
{
    if (index < 1 || index > imlCount)
        return {};
    const QString path = QStringLiteral(":/pictures/iml%1.xpm").arg(index, 2, 10, QLatin1Char('0'));
    return QImage(path).convertToFormat(QImage::Format_RGB32);
}

QIcon imlIcons(int index)
{
    const QImage drawn = imlImage(index);
    if (drawn.isNull())
        return {};
    // The mask colour becomes fully transparent; every other pixel stays as drawn.
    QImage masked = drawn.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < masked.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(masked.scanLine(y));
        for (int x = 0; x < masked.width(); ++x) {
            if (line[x] == imlMaskColour)
                line[x] = qRgba(0, 0, 0, 0);
        }
    }
    return QIcon(QPixmap::fromImage(masked));
}

} // namespace Pictures
