#pragma once

#include "platform/filelookup.h"

#include <QFileInfo>
#include <QStringList>

/// Knows only the files it is told exist.
class FakeFileLookup : public FileLookup
{
public:
    QString dir(const QString &path) const override
    {
        asked << path;
        return existing.contains(path) ? QFileInfo(path).fileName() : QString();
    }
    QStringList existing;
    mutable QStringList asked;
};
