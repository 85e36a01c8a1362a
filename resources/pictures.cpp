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

QImage imlImage(int index, int size)
{
    if (index < 1 || index > imlCount || (size != 16 && size != 32))
        return {};
    const QString path = QStringLiteral(":/pictures/iml%1%2.xpm")
                             .arg(index, 2, 10, QLatin1Char('0'))
                             .arg(size == 32 ? QStringLiteral("-32") : QString());
    return QImage(path).convertToFormat(QImage::Format_RGB32);
}

namespace {

// The mask colour becomes fully transparent; every other pixel stays as drawn.
QPixmap masked(const QImage &drawn)
{
    QImage image = drawn.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if (line[x] == imlMaskColour)
                line[x] = qRgba(0, 0, 0, 0);
        }
    }
    return QPixmap::fromImage(image);
}

} // namespace

QIcon imlIcons(int index)
{
    QIcon icon;
    for (const int size : {16, 32}) {
        const QImage drawn = imlImage(index, size);
        if (!drawn.isNull())
            icon.addPixmap(masked(drawn));
    }
    return icon;
}

} // namespace Pictures
