#pragma once

#include <QObject>
#include <QString>

#include <memory>

/// One file watched by a FileWatcher, for as long as the object lives.
class FileWatch : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

signals:
    /// Something happened to the file or to its name: the file may have
    /// been written, cut, replaced, removed, or made anew under the name.
    /// A burst of happenings may come as several signals or as one; what
    /// happened is the receiver's to find out.
    void touched();
};

/// Tells when another program changes a file, without reading it.
class FileWatcher
{
public:
    virtual ~FileWatcher() = default;

    /// Watches the file that path names, and the name itself, so that a
    /// file written, cut, renamed over or removed, or a new file under the
    /// name, is told through the watch's touched(). The watch follows the
    /// name: after a new file has taken it, that file is watched. Nothing
    /// comes where the file system tells nothing (a network file system
    /// changed from another computer) or the watch could not be set: the
    /// owner looks at the file itself at the moments that matter.
    virtual std::unique_ptr<FileWatch> watch(const QString &path) = 0;
};
