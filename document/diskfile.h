#pragma once

#include "textfile/filestamp.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <memory>
#include <optional>

class FileWatch;
class FileWatcher;

/// The file a document was read from or last saved to, as the document
/// knows it (its stamp), and what other programs have done to it since.
///
/// A change is one of three: the file was written or cut (the same file,
/// another stamp); it was replaced (the name leads to another file: one
/// renamed over it, or made anew after it was removed); it was removed (the
/// name leads to no file; a file moved away is removed from here). Each is
/// told once, with a note naming the file, as soon as the watcher says the
/// file was touched and the burst of events a write makes has settled, or
/// when someone looks (check). The same kind of change is not told again
/// until the document takes the file's new state, as a Save does (follow);
/// another kind is. The document's text is never touched.
class DiskFile : public QObject
{
    Q_OBJECT

public:
    enum class Change { None, Written, Replaced, Removed };

    explicit DiskFile(QObject *parent = nullptr);
    ~DiskFile() override;

    /// From now on the document holds the file at path as stamp says; with
    /// no stamp (no file could be read there) nothing is told. The watcher,
    /// when there is one, says when to look; without it, only check() looks.
    void follow(const QString &path, const std::optional<FileStamp> &stamp, FileWatcher *watcher);
    /// The file followed, as a full path; empty before follow().
    QString path() const { return path_; }

    /// What has happened to the file since the document read or wrote it.
    Change change() const;
    /// Looks at the file now, and tells a change not told yet.
    void check();

signals:
    /// A change was found: note says what happened to which file.
    void changed(const QString &note);
    /// The note told last is out of date: the document has taken the file
    /// as it is now.
    void outdated(const QString &note);

private:
    QString path_;
    std::optional<FileStamp> known_;
    std::unique_ptr<FileWatch> watch_;
    /// Gathers the events of one write into one look.
    QTimer settle_;
    Change told_ = Change::None;
    QString toldNote_;
};
