#include "localfilepath.h"

#include <QDir>
#include <QUrl>

std::optional<QString> localFilePath(const QString &argument, const QString &folder)
{
    QString path = argument;
    if (argument.startsWith(u"file:", Qt::CaseInsensitive)) {
        QUrl url(argument);
        if (!url.host().isEmpty() && url.host().compare(u"localhost", Qt::CaseInsensitive) != 0)
            return std::nullopt;
        url.setHost(QString()); // this computer's
        // "file:note.txt" names a file of the folder too.
        if (url.isLocalFile())
            path = url.toLocalFile();
    }
    return QDir::cleanPath(QDir(folder).absoluteFilePath(path));
}
