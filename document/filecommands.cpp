#include "filecommands.h"

#include "documentcommands.h"
#include "documenthost.h"
#include "frmdocument.h"
#include "textfile/filesaver.h"
#include "textfile/textfileformat.h"

#include "platform/filedialog.h"
#include "platform/messagebox.h"
#include "platform/textbox.h"
#include "text/textmodel.h"

#include <QDir>
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
        if (std::optional<QString> reason = open(path))
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
// stays used.
std::optional<QString> FileCommands::open(const QString &path)
{
    const QPointer<frmDocument> before = host_.activeDocument();
    frmDocument *document = host_.CreateDocumentWindow();
    if (!document)
        return std::nullopt; // the host has said why
    document->setCaption(path);
    document->ActiveControl().setText(QString());
    QObject::connect(document, &frmDocument::loadFailed, document,
                     [this, document, path](const QString &reason) {
                         document->Unload();
                         messages_.show(cannotOpen(path, reason));
                     });
    const std::optional<QString> reason = document->load(path, loadSettings_);
    if (reason) {
        document->Unload();
        if (before) // the document that was in front stays there
            showAgain(*before);
    } else if (const std::optional<QString> note = document->encodingNote()) {
        host_.showNote(*note);
    }
    return reason;
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
// file and leaves it as it was when anything fails.
void FileCommands::write(frmDocument &document, const QString &path)
{
    const TextModel &text = document.text();
    const TextFileFormat::Encoding encoding = document.encoding();
    if (const std::optional<qint64> unwritable = TextFileFormat::firstUnwritable(text, encoding)) {
        messages_.show(cannotEncode(document, *unwritable));
        return;
    }
    FileSaver saver;
    if (!saver.save(path, [&text, &encoding](const FileSaver::Write &write) {
            return TextFileFormat::encode(text, write, encoding);
        }))
        messages_.show(cannotSave(path, saver.errorString()));
}
