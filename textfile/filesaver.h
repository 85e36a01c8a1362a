#pragma once

#include <QByteArrayView>
#include <QString>

#include <functional>
#include <memory>

class FileSnapshot;
class QSaveFile;
struct stat;

/// Writes a file's new content so that the file stays the same file.
///
/// A new file, or one that a new file can stand in for exactly, is written
/// beside the old one and takes its place only once it is whole. A new file
/// can stand in for an existing one when that one is a regular file with a
/// single name, and the new file can be given its owner, group, mode bits
/// (set-user-ID, set-group-ID and sticky included) and extended attributes
/// (its access control list among them). Any other existing file, a file
/// with more than one name for instance, is rewritten through itself after a
/// copy of its bytes is made; writing that fails part-way puts the copy's
/// bytes back. A symbolic link stays a link: the file it points to is what
/// gets written.
///
/// Where files have no owners and modes to keep (other than on Unix-like
/// systems), every save is a replacement.
class FileSaver
{
public:
    /// Takes the next bytes of the content; false when they cannot be written.
    using Write = std::function<bool(QByteArrayView)>;
    /// Hands the whole content to write, piece by piece; false when it stops.
    using Content = std::function<bool(const Write &)>;

    /// Writes content to the file at path. Returns false, with
    /// errorString() saying why, when the file could not be written; the
    /// file then holds its old bytes, or the reason names where a copy of
    /// them was kept.
    bool save(const QString &path, const Content &content);
    QString errorString() const { return error_; }

    /// Asks save to keep the bytes the file has before it, at the
    /// file's own path (links followed) with suffix added: when a new file
    /// takes its place, the old file stays there as a second name, which
    /// costs nothing; when the file is rewritten through itself, the copy
    /// made before is what stays. A file already there makes room.
    /// Nothing is kept when there was no file. Keeping never stops the save.
    void keepPreviousAs(const QString &suffix) { keepSuffix_ = suffix; }
    /// Where the save kept the old bytes, or meant to; empty when there
    /// were none to keep or none was asked.
    QString keptPath() const { return kept_; }
    /// Why the old bytes could not be kept there; empty when they were.
    QString keptFailure() const { return keptFailure_; }

    /// Asks save to open the file it writes for reading, as it is once
    /// written and before it takes the path's name, so that what it holds
    /// can be read through that file whatever happens to the name after.
    void keepWrittenFile() { keepWritten_ = true; }
    /// The file written, once save has succeeded; null when none was asked
    /// for or it could not be opened.
    const std::shared_ptr<FileSnapshot> &writtenFile() const { return written_; }
    /// Called when the file is about to be rewritten through itself, with
    /// the path of the copy of its bytes made first: until the save ends,
    /// the old bytes are to be read there.
    void setBeforeRewrite(std::function<void(const QString &copyPath)> hook)
    {
        beforeRewrite_ = std::move(hook);
    }

private:
    enum class Outcome { Saved, Failed, NotTheSame };

    /// Writes a file beside the target that replaces it; with original
    /// given, only if the new file can be made the same as the old one.
    Outcome replace(const QString &path, const Content &content, const struct stat *original);
    Outcome finishReplacement(QSaveFile &file, const struct stat *original);
    bool saveInPlace(const QString &path, const Content &content);
    /// Gives the file at target a second name, the kept one.
    void keepAsSecondName(const QString &target);

    QString error_;
    QString keepSuffix_;
    QString kept_;
    QString keptFailure_;
    bool keepWritten_ = false;
    std::shared_ptr<FileSnapshot> written_;
    std::function<void(const QString &)> beforeRewrite_;
};
