#pragma once

#include "loadmemory.h"
#include "loadsettings.h"

#include "textfile/fileload.h"

#include <QObject>
#include <QString>

#include <memory>
#include <optional>

class PieceStore;
class TextModel;
class TextModelAppender;

/// A text file being read into a document's text.
///
/// The file is read once, front to back, and decoded on threads of its own
/// (FileLoad) into the chunks the text model keeps, so loading takes time in
/// proportion to the file's size and the text is never held twice. The load
/// is an object the window only hears from: each time chunks are ready it
/// puts them at the end of the text, in the event loop's own turn, so the
/// start of the file shows at once and the user may type, scroll or close
/// the window meanwhile. It says how far it has come (progressed), and ends
/// with loaded or failed; destroying it stops the reading at once.
///
/// Nothing of the file is read on the window's thread, not even its first
/// bytes: the file is only opened there, without waiting, and its format is
/// told (formatFound) once a reading thread has found it.
///
/// While it runs the text model is loading (TextModel::isLoading): the end of
/// the text is not yet the end of the file.
class DocumentLoad : public QObject
{
    Q_OBJECT

public:
    using Settings = LoadSettings;

    DocumentLoad(TextModel &text, const Settings &settings);
    ~DocumentLoad() override;

    /// Starts reading the file at path into the text, which should be
    /// empty. Gives the reason when the file cannot be opened (missing, a
    /// folder, a device) or its text will not fit; nothing is signalled
    /// then.
    std::optional<QString> start(const QString &path);

    bool isFinished() const { return finished_; }
    /// The format the file is read in, once formatFound was signalled.
    const TextFileFormat::FileFormat &format() const { return format_; }
    /// How the file was found at the end of the load, once loaded was
    /// signalled.
    const std::optional<LoadedFile> &loadedFile() const { return loadedFile_; }

    /// The note given for a command that waits for the whole text (save,
    /// print, find) when it is asked for during a load.
    static QString stillLoadingNote()
    {
        return QStringLiteral(
            "Il documento è ancora in caricamento: riprovare quando sarà caricato.");
    }
    /// Where the pieces of a document held in pieces are read; null for a
    /// document whose text is in memory.
    const std::shared_ptr<PieceStore> &pieceStore() const { return store_; }

    /// How far a long file has come, 0 to 100; -1 for a short file, whose
    /// progress is not shown, and once the load has ended.
    int percent() const { return finished_ ? -1 : percent_; }

signals:
    /// The file's format is known: its text is read in it from now on.
    void formatFound();
    void progressed(int percent);
    void loaded();
    void failed(const QString &reason);

protected:
    bool event(QEvent *event) override;

private:
    /// Puts chunks at the end of the text; the reason when it may not grow so.
    std::optional<QString> putInPlace(FileLoad::Ready ready);
    /// Makes the store of a document held in pieces, within its budget; the
    /// reason when the budget will not fit.
    std::optional<QString> prepareStore(qint64 size, FileLoad::Options &options);
    /// Ends a load that never got going; gives back failure.
    std::optional<QString> stopAt(std::optional<QString> failure);
    /// Takes the format once a reading thread has found it; false when the
    /// load went with a signal's hearer.
    bool takeFormat();
    void finish(const std::optional<QString> &failure);
    void wakeUp();

    TextModel &text_;
    const Settings settings_;
    std::unique_ptr<TextModelAppender> appender_;
    std::unique_ptr<FileLoad> load_;
    std::shared_ptr<MemoryReservation> memory_;
    std::shared_ptr<PieceStore> store_;
    TextFileFormat::FileFormat format_;
    bool formatKnown_ = false;
    std::optional<LoadedFile> loadedFile_;
    bool finished_ = false;
    int percent_ = -1;
    bool progressShown_ = false;
    qint64 done_ = 0;
};
