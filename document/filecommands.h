#pragma once

#include "diskfile.h"
#include "loadsettings.h"

#include <QStringList>

#include <optional>

class ContentChecksum;
class DocumentHost;
class FileDialog;
class FileSaver;
class MessageBox;
class frmDocument;
namespace TextFileFormat {
class Encoding;
}

/// Open, Close, Save and Save As on the active document.
///
/// A document's file is the path in its window's title. Open loads a file
/// into a new window; Save writes the active document to the path in its
/// title, Save As to a path chosen in the dialog, leaving the title alone.
/// Saving keeps the file the same file (FileSaver): when anything fails, the
/// file is as it was and a message says why. A Save over a file that
/// another program has changed since the document read or wrote it keeps
/// that program's version beside it, under the name with ".esterno" added
/// (a second name of the old file, or the copy made before a rewrite in
/// place), and a note says where. With no document open, the commands do
/// nothing.
///
/// A file loads in its window while the program goes on (frmDocument::load):
/// each command acts on the documents as they are when it runs and keeps
/// nothing from one call to the next. Whether a document still loading may
/// be saved is the command table's to say (DocumentCommands).
class FileCommands
{
public:
    FileCommands(DocumentHost &host, FileDialog &dialog, MessageBox &messages);

    void Open();
    /// Opens each file as Open opens the path chosen in the dialog, one
    /// after the other, the last one in front; a hundred at most, the
    /// others are left. The files that cannot be opened, and the number
    /// left, are told in one message.
    void OpenFiles(const QStringList &paths);
    void Close();
    void Save();
    void SaveAs();

    /// Opens the file at path in a new window as Open does, read in the
    /// given encoding.
    void OpenIn(const QString &path, const TextFileFormat::Encoding &encoding);
    /// Opens the file at path in a new window as Open does, read in the
    /// given encoding, and gives the window; nullptr, with the reason, when
    /// the file cannot be opened.
    frmDocument *openWindow(const QString &path, const TextFileFormat::Encoding &encoding,
                            QString &reason);
    /// Reads the document's file again, in the given encoding, in place of
    /// its text, which goes with its history. When the file cannot be
    /// opened, the text stays as it was and a message says why.
    void Reload(frmDocument &document, const TextFileFormat::Encoding &encoding);

    /// How files are read into the documents.
    LoadSettings &loadSettings() { return loadSettings_; }

private:
    /// Opens a file in a new window; the reason when it cannot be opened at
    /// once (the window is gone again then).
    std::optional<QString> open(const QString &path, const LoadSettings &settings,
                                frmDocument **made = nullptr);
    /// Starts reading path into the document's empty text; the reason when
    /// it cannot be read at once. A load that fails later closes the window.
    std::optional<QString> load(frmDocument &document, const QString &path,
                                const LoadSettings &settings);
    LoadSettings settingsIn(const TextFileFormat::Encoding &encoding) const;
    void loadFailed(frmDocument &document, const QString &path, const QString &reason);
    /// Bytes of the file that the document still read are gone.
    void piecesLost(frmDocument &document, const QString &path);
    void write(frmDocument &document, const QString &path);
    void followSaved(frmDocument &document, const QString &path, DiskFile::Change change,
                     const FileSaver &saver, const ContentChecksum &checksum);

    DocumentHost &host_;
    FileDialog &dialog_;
    MessageBox &messages_;
    LoadSettings loadSettings_;
};
