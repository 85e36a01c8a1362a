#pragma once

#include <QtGlobal>

#ifdef Q_OS_UNIX

#include "filesaver.h"

#include <QString>

/// Rewrites an existing file through the file itself, so that all of it but
/// its bytes stays as it was: its other names, owner, group, mode bits and
/// attributes.
///
/// Before anything is written, the file's bytes are copied to a hidden file
/// beside it, or to the user's cache folder when its folder takes no new
/// file. When writing fails part-way, the copy's bytes are put back; when
/// even that fails, the copy stays where it is and the reason names it.
class InPlaceWriter
{
public:
    explicit InPlaceWriter(const QString &path) : path_(path) {}
    ~InPlaceWriter();
    InPlaceWriter(const InPlaceWriter &) = delete;
    InPlaceWriter &operator=(const InPlaceWriter &) = delete;

    /// Replaces the file's bytes with content; false, with errorString()
    /// saying why, when that fails.
    bool write(const FileSaver::Content &content);
    QString errorString() const { return error_; }

    /// Asks write to keep the copy of the old bytes once the file is
    /// rewritten, under path; where it cannot be moved there, it stays
    /// where it was made.
    void keepCopyAs(const QString &path) { keepAs_ = path; }
    /// Called once the copy of the old bytes is made, with its path, before
    /// anything is written.
    void setBeforeRewrite(std::function<void(const QString &copyPath)> hook)
    {
        beforeRewrite_ = std::move(hook);
    }
    /// Where the copy was kept; empty when none was asked or made.
    QString keptPath() const { return kept_; }

private:
    bool makeCopy();
    bool copyTo(int source, const QString &prefix);
    bool rewrite(const FileSaver::Content &content);
    bool putBack();
    void removeCopy();
    void keepCopy();
    /// Copies from's bytes over the start of to; counts them in copied.
    bool copyBytes(int from, int to, qint64 &copied);
    bool writeAt(int fd, QByteArrayView bytes, qint64 offset);
    bool fail();

    QString path_;
    int file_ = -1;
    int copy_ = -1;
    QString copyPath_;
    qint64 size_ = 0; ///< how many bytes the file had
    QString error_;
    QString keepAs_;
    QString kept_;
    std::function<void(const QString &)> beforeRewrite_;
};

#endif
