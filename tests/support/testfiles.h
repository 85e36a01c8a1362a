#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

// Reading and writing whole files in tests.

/// The bytes of a file, or "<missing>" when it cannot be read.
inline QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

/// Writes a file, or ends the test program when that fails.
inline void put(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}
