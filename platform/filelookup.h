#pragma once

#include <QString>

/// Tells whether a path names an existing ordinary file.
class FileLookup
{
public:
    virtual ~FileLookup() = default;
    /// The file's name when the path names an existing ordinary file, else
    /// the empty text.
    virtual QString dir(const QString &path) const = 0;
};

class QtFileLookup : public FileLookup
{
public:
    QString dir(const QString &path) const override;
};
