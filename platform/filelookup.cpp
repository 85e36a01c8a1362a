#include "filelookup.h"

#include <QFileInfo>

QString QtFileLookup::dir(const QString &path) const
{
    if (path.isEmpty())
        return {};
    const QFileInfo info(path);
    return info.isFile() ? info.fileName() : QString();
}
