#include "filecommands.h"

#include "documenthost.h"
#include "textfile/filesaver.h"
#include "frmdocument.h"
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

// Clears a flag however the scope is left.
class Busy
{
public:
    explicit Busy(bool &flag) : flag_(flag) { flag_ = true; }
    ~Busy() { flag_ = false; }

private:
    bool &flag_;
};

} // namespace

FileCommands::FileCommands(DocumentHost &host, FileDialog &dialog, MessageBox &messages)
    : host_(host), dialog_(dialog), messages_(messages), loader_(host)
{
}

void FileCommands::Open()
{
    if (loading_)
        return;
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

// Files asked for while others are still being opened (a drop during a long
// load, or while a message is shown) wait their turn, so that every file
// opens, in the order asked, and the last one ends in front.
void FileCommands::OpenFiles(const QStringList &paths)
{
    waiting_ += paths;
    if (opening_)
        return;
    const Busy busy(opening_);
    while (!waiting_.isEmpty())
        open(waiting_.takeFirst());
}

void FileCommands::open(const QString &path)
{
    frmDocument *created = host_.CreateDocumentWindow();
    if (!created)
        return; // the host has said why
    QPointer<frmDocument> document(created);
    document->setCaption(path);
    document->ActiveControl().setText(QString());

    DocumentLoader::Result result;
    {
        const Busy busy(loading_);
        result = loader_.load(path, *document);
    }
    if (result.outcome != DocumentLoader::Outcome::Failed)
        return;
    // A window left half-filled or empty under the file's name could be saved
    // over the file, so it goes; its number stays used.
    if (document)
        document->Unload();
    messages_.show(cannotOpen(path, result.reason));
}

// Closing the window of a file that is loading stops the load.
void FileCommands::Close()
{
    if (frmDocument *document = host_.activeDocument())
        document->Unload();
}

void FileCommands::Save()
{
    if (loading_)
        return;
    if (frmDocument *document = host_.activeDocument())
        write(*document, document->Caption());
}

void FileCommands::SaveAs()
{
    if (loading_ || !host_.activeDocument())
        return;
    dialog_.setFileName(QString());
    dialog_.showSave();
    const QString path = dialog_.fileName();
    if (path.isEmpty())
        return;
    if (frmDocument *document = host_.activeDocument())
        write(*document, path);
}

// The text is written a piece at a time; the saver keeps the file the same
// file and leaves it as it was when anything fails.
void FileCommands::write(frmDocument &document, const QString &path)
{
    const TextModel &text = document.text();
    if (!TextFileFormat::canEncode(text)) {
        messages_.show(QStringLiteral("Il documento contiene caratteri che non possono essere "
                                      "salvati nella codifica del sistema."));
        return;
    }
    FileSaver saver;
    if (!saver.save(path, [&text](const FileSaver::Write &write) {
            return TextFileFormat::encode(text, write);
        }))
        messages_.show(cannotSave(path, saver.errorString()));
}
