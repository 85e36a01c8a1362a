#include "filecommands.h"

#include "diskfile.h"
#include "documentcommands.h"
#include "documenthost.h"
#include "frmdocument.h"
#include "lostpieces.h"
#include "textfile/contentchecksum.h"
#include "textfile/filepieces.h"
#include "textfile/filesaver.h"
#include "textfile/filesnapshot.h"
#include "textfile/filestamp.h"
#include "textfile/journalidentity.h"
#include "textfile/loadedfile.h"
#include "textfile/streamedsave.h"
#include "textfile/textfileformat.h"

#include "platform/filedialog.h"
#include "platform/messagebox.h"
#include "platform/textbox.h"
#include "text/piecestore.h"
#include "text/textmodel.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <algorithm>
#include <utility>

namespace {

QString shownPath(const QString &path)
{
    return QDir::toNativeSeparators(path.isEmpty() ? path : QFileInfo(path).absoluteFilePath());
}

// The system's reasons come without a full stop; every sentence of a
// message ends with one.
QString sentence(QString text)
{
    if (!text.isEmpty() && !QStringLiteral(".!?").contains(text.back()))
        text += u'.';
    return text;
}

QString cannotOpen(const QString &path, const QString &reason)
{
    return QStringLiteral("Impossibile aprire il file \"%1\".\n%2")
        .arg(shownPath(path), sentence(reason));
}

QString keptAs(const QString &title)
{
    return QStringLiteral("Il testo digitato è stato conservato in %1.").arg(title);
}

QString grewWhileLoading(const QString &path)
{
    return QStringLiteral("Il file \"%1\" è cresciuto durante il caricamento: la parte aggiunta "
                          "non è stata letta.")
        .arg(shownPath(path));
}

QString cannotSave(const QString &path, const QString &reason)
{
    return QStringLiteral("Impossibile salvare il file \"%1\".\n%2")
        .arg(shownPath(path), sentence(reason));
}

// The character at position: one unit, or the two of a surrogate pair.
QString characterAt(const TextModel &text, qint64 position)
{
    const QString two = text.text(position, position + 2);
    const bool pair = two.size() == 2 && two[0].isHighSurrogate() && two[1].isLowSurrogate();
    return two.left(pair ? 2 : 1);
}

char32_t codeOf(const QString &character)
{
    return character.size() == 2 ? QChar::surrogateToUcs4(character[0], character[1])
                                 : char32_t(character[0].unicode());
}

// A character as a person can find it: itself where it can be seen, and
// its code ("U+1F600") always.
QString shownCharacter(const QString &character)
{
    const char32_t code = codeOf(character);
    const QString hex = QStringLiteral("U+%1").arg(uint(code), 4, 16, QChar(u'0')).toUpper();
    // Controls and halves of a pair show nothing, or a box.
    if (!QChar::isPrint(code))
        return QStringLiteral("il carattere %1").arg(hex);
    return QStringLiteral("\"%1\" (%2)").arg(character, hex);
}

// Names the first character the document's encoding cannot write and its
// line, and the way to keep them all: UTF-8 writes every character, all but
// half a surrogate pair, which no encoding writes. A new document is in the
// system's encoding, which has no name of its own to a person.
QString cannotEncode(frmDocument &document, qint64 position)
{
    const QString where =
        document.encodingNote()
            ? QStringLiteral("del file (%1)").arg(document.encoding().displayName())
            : QStringLiteral("del sistema");
    const TextModel &text = document.text();
    const QString character = characterAt(text, position);
    QString message = QStringLiteral("Il documento contiene caratteri che non possono essere "
                                     "salvati nella codifica %1. Il primo è %2, alla riga %3.")
                          .arg(where, shownCharacter(character))
                          .arg(text.lineAt(position) + 1);
    if (!QChar::isSurrogate(codeOf(character)))
        message += QStringLiteral("\nPer salvarli tutti, convertire il documento in UTF-8 con "
                                  "\"Codifica e fine riga\", nella barra di stato o nel menu "
                                  "del testo.");
    return message;
}

// Where a Save keeps the version of the file that another program wrote
// since the document read or wrote it: beside the file, under its whole
// name and this, so that it is found next to it and is not taken for one
// of its kind ("nota.txt.esterno" is no ".txt" to a program that reads them
// all).
const QString KeptSuffix = QStringLiteral(".esterno");

// What a Save says when the file it wrote over had been changed by
// another program, whose version it kept aside, or tried to.
QString keptNote(DiskFile::Change change, const QString &path, const FileSaver &saver)
{
    const QString what = change == DiskFile::Change::Replaced ? QStringLiteral("sostituito")
                                                              : QStringLiteral("modificato");
    const QString changed = QStringLiteral("Il file \"%1\" era stato %2 da un altro programma")
                                .arg(shownPath(path), what);
    if (saver.keptFailure().isEmpty())
        return changed + QStringLiteral(": quella versione è conservata in \"%1\".")
                             .arg(shownPath(saver.keptPath()));
    return changed + QStringLiteral(", ma quella versione non è stata conservata in \"%1\": %2")
                         .arg(shownPath(saver.keptPath()), sentence(saver.keptFailure()));
}

// Save writes the document's own file; so does Save As given its path.
bool isFileOf(const frmDocument &document, const QString &path)
{
    return QFileInfo(path).absoluteFilePath() == QFileInfo(document.Caption()).absoluteFilePath();
}

// Whether path names a file that opens for reading now; a pipe or a device
// is not opened, as it could keep the program waiting.
std::optional<QString> cannotRead(const QString &path)
{
    const QFileInfo info(path);
    if (info.exists() && !info.isFile())
        return QStringLiteral("Non è un file ordinario.");
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return file.errorString();
    return std::nullopt;
}

// The child of a document that hears how its load ends.
const QString LoadWatch = QStringLiteral("loadWatch");

// At most this many files are named in one message.
constexpr qsizetype ListedFailures = 10;
// At most this many files open from one request: thousands of them would
// keep the program busy making windows, and closing them again for the
// files that cannot be read.
constexpr qsizetype OpenedAtOnce = 100;

// One message for every file of a batch that could not be opened.
QString cannotOpenAll(const QList<std::pair<QString, QString>> &failures)
{
    if (failures.size() == 1)
        return cannotOpen(failures.front().first, failures.front().second);
    QString message = QStringLiteral("Impossibile aprire %1 file:").arg(failures.size());
    for (qsizetype i = 0; i < std::min(failures.size(), ListedFailures); ++i)
        message += QStringLiteral("\n\"%1\": %2")
                       .arg(shownPath(failures[i].first), sentence(failures[i].second));
    if (failures.size() > ListedFailures)
        message += QStringLiteral("\ne altri %1.").arg(failures.size() - ListedFailures);
    return message;
}

QString notOpened(qsizetype count)
{
    return QStringLiteral("Altri %1 file non sono stati aperti: se ne aprono al massimo %2 "
                          "alla volta.")
        .arg(count)
        .arg(OpenedAtOnce);
}

// Shows the window again and keeps it the active one.
void showAgain(frmDocument &document)
{
    auto *subWindow = qobject_cast<QMdiSubWindow *>(document.parentWidget());
    if (!subWindow) {
        document.show();
        return;
    }
    subWindow->show();
    if (QMdiArea *area = subWindow->mdiArea())
        area->setActiveSubWindow(subWindow);
}

// What a document says once bytes of its file that it still reads are gone.
QString lostNote(const QString &path, const LostPieces &lost)
{
    const QString kept = lost.copiedTo().value_or(QString());
    QString note = QStringLiteral("Il file \"%1\" è stato modificato da un altro programma: %2. "
                                  "Il testo perso è mostrato vuoto e il documento non può più "
                                  "essere salvato.")
                       .arg(QFileInfo(path).fileName(), lost.unreadable());
    if (!kept.isEmpty())
        note += QStringLiteral(" Il testo modificato è stato copiato in %1.").arg(kept);
    return note;
}

QString cannotSaveLost(const QString &path, const LostPieces &lost)
{
    return cannotSave(path, QStringLiteral("Il file è stato modificato da un altro programma: %1.")
                                .arg(lost.unreadable()));
}

// While a save rewrites a document's file through itself, its pieces read
// the copy of the old bytes that the save made first.
void readFromCopy(PieceStore &store, const QString &copy)
{
    const auto source = std::dynamic_pointer_cast<const FilePieces>(store.source());
    if (std::shared_ptr<FileSnapshot> snapshot = source ? FileSnapshot::open(copy) : nullptr)
        store.setSource(source->readFrom(std::move(snapshot)));
}

} // namespace

FileCommands::FileCommands(DocumentHost &host, FileDialog &dialog, MessageBox &messages)
    : host_(host), dialog_(dialog), messages_(messages)
{
}

void FileCommands::Open()
{
    dialog_.setFileName(QString());
    dialog_.showOpen();
    const QString path = dialog_.fileName();
    if (path.isEmpty()) {
        if (frmDocument *active = host_.activeDocument())
            showAgain(*active);
        return;
    }
    OpenFiles({path});
}

void FileCommands::OpenFiles(const QStringList &paths)
{
    QList<std::pair<QString, QString>> failures;
    for (const QString &path : paths.mid(0, OpenedAtOnce)) {
        if (std::optional<QString> reason = open(path, loadSettings_))
            failures.append({path, *reason});
    }
    QStringList message;
    if (!failures.isEmpty())
        message << cannotOpenAll(failures);
    if (paths.size() > OpenedAtOnce)
        message << notOpened(paths.size() - OpenedAtOnce);
    if (!message.isEmpty())
        messages_.show(message.join(u'\n'));
}

// A window left half-filled or empty under the file's name could be saved
// over the file, so a window whose file cannot be read goes; its number
// stays used. The window comes to the front titled with the path and
// loading, so that a screen reader waits for its first text.
std::optional<QString> FileCommands::open(const QString &path, const LoadSettings &settings,
                                          frmDocument **made)
{
    const QPointer<frmDocument> before = host_.activeDocument();
    std::optional<QString> reason;
    frmDocument *document = host_.CreatePreparedDocumentWindow([&](frmDocument &opened) {
        opened.setCaption(path);
        opened.ActiveControl().setText(QString());
        reason = load(opened, path, settings);
    });
    if (!document)
        return std::nullopt; // the host has said why
    if (reason) {
        document->Unload();
        if (before) // the document that was in front stays there
            showAgain(*before);
    } else if (made) {
        *made = document;
    }
    return reason;
}

// The watch hears the end of one load only: a load started after it, as
// when the file is read again, has a watch of its own.
std::optional<QString> FileCommands::load(frmDocument &document, const QString &path,
                                          const LoadSettings &settings)
{
    delete document.findChild<QObject *>(LoadWatch, Qt::FindDirectChildrenOnly);
    auto *watch = new QObject(&document);
    watch->setObjectName(LoadWatch);
    QObject::connect(
        &document, &frmDocument::loadFailed, watch,
        [this, &document, path](const QString &reason) { loadFailed(document, path, reason); });
    QObject::connect(&document, &frmDocument::loaded, watch, [this, &document, path, watch] {
        if (document.loadedFile() && document.loadedFile()->grew)
            host_.showNote(grewWhileLoading(path));
        watch->deleteLater();
    });
    // The pieces of a file are lost for the document's whole life, not one
    // load's: one connection a document, whatever loads it had.
    QObject::disconnect(&document.lostPieces(), nullptr, &document, nullptr);
    QObject::connect(&document.lostPieces(), &LostPieces::found, &document,
                     [this, &document, path] { piecesLost(document, path); });
    const std::optional<QString> reason = document.load(path, settings);
    if (reason || !document.isLoading())
        delete watch;
    return reason;
}

LoadSettings FileCommands::settingsIn(const TextFileFormat::Encoding &encoding) const
{
    LoadSettings settings = loadSettings_;
    settings.reading.encoding = encoding;
    return settings;
}

void FileCommands::OpenIn(const QString &path, const TextFileFormat::Encoding &encoding)
{
    if (const std::optional<QString> reason = open(path, settingsIn(encoding)))
        messages_.show(cannotOpen(path, *reason));
}

frmDocument *FileCommands::openWindow(const QString &path, const TextFileFormat::Encoding &encoding,
                                      QString &reason)
{
    frmDocument *document = nullptr;
    if (const std::optional<QString> failure = open(path, settingsIn(encoding), &document))
        reason = *failure;
    return document;
}

// The text goes only once the file is known to open: a file removed or
// made unreadable since would leave the window empty, and the text it had
// may be the only copy there is.
void FileCommands::Reload(frmDocument &document, const TextFileFormat::Encoding &encoding)
{
    const QString path = document.filePath();
    if (const std::optional<QString> reason = cannotRead(path)) {
        messages_.show(cannotOpen(path, *reason));
        return;
    }
    document.discardText();
    if (const std::optional<QString> reason = load(document, path, settingsIn(encoding))) {
        document.Unload(); // nothing is left to save over the file
        messages_.show(cannotOpen(path, *reason));
    }
}

// What the person typed while the file loaded is not thrown away with the
// part of the file that came: the window stays, under the title of a new
// document, so that no Save can write that part over the file. Typed means
// any edit of the text during the load, one undone since included: its
// history has a step, which the load itself never makes.
void FileCommands::loadFailed(frmDocument &document, const QString &path, const QString &reason)
{
    const TextHistory &history = document.text().history();
    if (!history.canUndo() && !history.canRedo()) {
        document.Unload();
        messages_.show(cannotOpen(path, reason));
        return;
    }
    const QString title = host_.nextDocumentTitle().value_or(QStringLiteral("Documento"));
    document.setCaption(title);
    messages_.show(cannotOpen(path, reason) + u'\n' + keptAs(title));
}

// The first time: what is in memory rather than in the file, which holds
// everything typed, goes to a new document, so that nothing typed is lost
// with a document that can no longer be saved.
void FileCommands::piecesLost(frmDocument &document, const QString &path)
{
    LostPieces &lost = document.lostPieces();
    if (!lost.copiedTo()) {
        const QString typed = LostPieces::inMemory(document.text());
        frmDocument *copy = typed.isEmpty() ? nullptr : host_.CreateDocumentWindow();
        if (copy)
            copy->ActiveControl().setText(typed);
        lost.setCopiedTo(copy ? copy->Caption() : QString());
    }
    host_.showLastingNote(lostNote(path, lost));
}

// Closing the window of a file that is loading stops the load.
void FileCommands::Close()
{
    if (frmDocument *document = host_.activeDocument())
        document->Unload();
}

void FileCommands::Save()
{
    if (frmDocument *document = host_.activeDocument())
        write(*document, document->Caption());
}

void FileCommands::SaveAs()
{
    if (!host_.activeDocument())
        return;
    dialog_.setFileName(QString());
    dialog_.showSave();
    const QString path = dialog_.fileName();
    if (path.isEmpty())
        return;
    // The dialog is modal but the program goes on: look again.
    if (frmDocument *document = DocumentCommands::documentFor(DocumentCommand::SaveAs, host_))
        write(*document, path);
}

// The text is written a piece at a time; the saver keeps the file the same
// file and leaves it as it was when anything fails. The pieces of a
// document held in pieces are copied from its file, and name the file
// written once it has taken its place.
void FileCommands::write(frmDocument &document, const QString &path)
{
    TextModel &text = document.text();
    const TextFileFormat::Encoding encoding = document.encoding();
    if (document.lostPieces().any()) {
        messages_.show(cannotSaveLost(path, document.lostPieces()));
        return;
    }
    if (const std::optional<qint64> unwritable = TextFileFormat::firstUnwritable(text, encoding)) {
        messages_.show(cannotEncode(document, *unwritable));
        return;
    }
    const bool ownFile = isFileOf(document, path);
    // Looked at now, whatever was told: a file system may tell nothing.
    const DiskFile::Change change = ownFile ? document.diskFile().change() : DiskFile::Change::None;
    FileSaver saver;
    if (change == DiskFile::Change::Written || change == DiskFile::Change::Replaced)
        saver.keepPreviousAs(KeptSuffix);
    const std::shared_ptr<PieceStore> store = document.pieceStore();
    if (store) {
        saver.keepWrittenFile();
        saver.setBeforeRewrite([&store](const QString &copy) { readFromCopy(*store, copy); });
    }
    // The checksum of the bytes as they go, so that the file written is
    // known again by a later load of it without reading it back.
    ContentChecksum checksum;
    TextFileFormat::StreamedSave streamed(text, encoding, store != nullptr);
    if (!saver.save(path, [&](const FileSaver::Write &write) {
            checksum = ContentChecksum();
            return streamed.write([&](QByteArrayView bytes) {
                checksum.take(bytes);
                return write(bytes);
            });
        })) {
        if (const std::optional<TextFileFormat::StreamedSave::Lost> &lost = streamed.lost()) {
            document.lostPieces().take(lost->store, lost->piece);
            messages_.show(cannotSaveLost(path, document.lostPieces()));
        } else {
            messages_.show(cannotSave(path, saver.errorString()));
        }
        return;
    }
    if (store && saver.writtenFile())
        document.setPieceStore(streamed.moveInto(text, store, saver.writtenFile()));
    if (ownFile)
        followSaved(document, path, change, saver, checksum);
}

// The document now holds the file as it wrote it, so that its own Save is
// never taken for another program's change; the other program's version,
// kept aside, is told.
void FileCommands::followSaved(frmDocument &document, const QString &path, DiskFile::Change change,
                               const FileSaver &saver, const ContentChecksum &checksum)
{
    const std::optional<FileStamp> stamp = FileStamp::ofPath(path);
    document.diskFile().follow(path, stamp, loadSettings_.watcher);
    document.markWritten(
        JournalIdentity{stamp.value_or(FileStamp()), checksum.size(), checksum.value()});
    if (!saver.keptPath().isEmpty())
        host_.showLastingNote(keptNote(change, path, saver));
}
