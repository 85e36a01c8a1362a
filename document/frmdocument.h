#pragma once

#include <QWidget>

#include <memory>
#include <optional>

class DiskFile;
class DocumentJournal;
class DocumentLoad;
class JournalWriter;
class LostPieces;
class FileWatcher;
class LoadMemory;
class MessageBox;
class PieceStore;
class TextBox;
class TextModel;
struct JournalIdentity;
struct LoadSettings;
struct LoadedFile;
namespace TextFileFormat {
class Encoding;
struct FileFormat;
} // namespace TextFileFormat

/// A document window: one text box that fills the window less a margin.
/// It keeps nothing of its own but its text; its caption is the document's
/// title, which is also the text box's name for assistive technology.
class frmDocument : public QWidget
{
    Q_OBJECT

public:
    explicit frmDocument(QWidget *parent = nullptr);
    ~frmDocument() override;

    QString Caption() const { return windowTitle(); }
    void setCaption(const QString &caption) { setWindowTitle(caption); }

    /// The window's active control: its text box.
    TextBox &ActiveControl();
    /// The document's text, which the text box shows.
    TextModel &text() { return *text_; }

    /// Closes the window and discards its text.
    void Unload();

    /// Starts reading the file at path into the text, which should be
    /// empty; formatFound says when its encoding is known, loaded or
    /// loadFailed how it ended. Gives the reason when the file cannot be
    /// opened, and then signals nothing.
    std::optional<QString> load(const QString &path, const LoadSettings &settings);
    /// The file the text was read from or last saved to, and what other
    /// programs have done to it since.
    DiskFile &diskFile() { return *diskFile_; }
    /// Looks whether another program has changed the file, as when the
    /// document comes to the front; a change not told yet is told.
    void checkFileOnDisk();
    /// Whether a file is still coming into the text.
    bool isLoading() const;
    /// How far the file has come, 0 to 100; -1 when no progress is shown.
    int loadProgress() const;
    /// How the document's file was found once its text was read: its stamp
    /// then, whether it grew meanwhile, the checksum of the bytes read.
    /// Nothing for a new document, while the file loads, and once the text
    /// is no longer the file's.
    const LoadedFile *loadedFile() const { return loadedFile_.get(); }
    /// Whether the path in the title still names the file the text was
    /// read from, rather than another file renamed over it, or nothing.
    bool fileIsAtItsPath() const;
    /// Where the pieces of a document held in pieces are read (a file too
    /// large for memory, Chunk::piece); null for any other document.
    const std::shared_ptr<PieceStore> &pieceStore() const { return pieceStore_; }
    /// The pieces are read through another store from now on (once a save
    /// has written them to another file).
    void setPieceStore(std::shared_ptr<PieceStore> store);
    /// The pieces of the document's file found gone.
    LostPieces &lostPieces() { return *lostPieces_; }
    /// The encoding the text is saved in: its file's, or the system's for a
    /// new document, or the one it was converted to.
    const TextFileFormat::Encoding &encoding() const { return *encoding_; }
    /// The next Save writes the text in this encoding.
    void setEncoding(const TextFileFormat::Encoding &encoding);
    /// What the next Save writes: the encoding, and the line ends that
    /// Enter makes (those of the text, once they are converted).
    TextFileFormat::FileFormat fileFormat() const;
    /// "Windows-1252 · CR LF": the format as the status bar shows it. The
    /// text box's accessible description says the same words to be heard:
    /// "Windows-1252, CR LF".
    QString formatName() const;
    /// "Codifica: Windows-1252" for a file in an encoding other than the
    /// system's.
    std::optional<QString> encodingNote() const;
    /// The file the text was read from or is being read from, or last
    /// saved to; empty for a new document never saved.
    QString filePath() const;
    /// Whether the text was edited since it was read from its file or last
    /// saved to it (an edit undone since counts too).
    bool hasUnsavedEdits() const;
    /// The text is now what its file holds, as after a Save.
    void markSaved();
    /// The text is now what its file holds, as a Save wrote it, with the
    /// identity of the bytes written.
    void markWritten(const JournalIdentity &identity);
    /// Keeps a journal of the document's unsaved edits, written by writer;
    /// gives it.
    DocumentJournal *keepJournal(std::shared_ptr<JournalWriter> writer);
    /// The document's journal, if it keeps one.
    DocumentJournal *journal() const { return journal_; }
    /// Empties the text and forgets its history, before it is read anew.
    void discardText();

    /// Large edits of the text (a paste, a drop, a replacement of
    /// everything) are held against the memory left; one that will not fit
    /// is refused with a message.
    void guardMemory(const LoadMemory &memory, MessageBox &messages);

    /// Lays the text box out for the window's current inner size.
    void Form_Resize();

    /// The inner area the window was designed with: 4680 x 3195 twips.
    QSize sizeHint() const override;

signals:
    void formatFound();
    /// What the next Save writes has changed: the encoding (the file read,
    /// or a conversion), or the line ends (a conversion, or its undo).
    void fileFormatChanged();
    void loadProgressChanged(int percent);
    void loaded();
    void loadFailed(const QString &reason);

private:
    TextModel *const text_; // made before the text box that shows it

public:
    /// The text box, as a widget.
    QWidget *const txtText;

protected:
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void Form_Load();
    /// The document now holds the file it has read.
    void followLoadedFile(const QString &path, FileWatcher *watcher);
    void showFileFormat();

    TextBox &textBox_;
    std::unique_ptr<DocumentLoad> load_;
    std::unique_ptr<TextFileFormat::Encoding> encoding_;
    std::unique_ptr<DiskFile> diskFile_;
    std::unique_ptr<LoadedFile> loadedFile_;
    DocumentJournal *journal_ = nullptr; // a child
    QString readPath_;
    /// The text's revision when it was last the file's.
    quint64 savedRevision_ = 0;
    std::shared_ptr<PieceStore> pieceStore_;
    LostPieces *lostPieces_;
};
