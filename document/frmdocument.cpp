#include "frmdocument.h"

#include "diskfile.h"
#include "documentjournal.h"
#include "documentload.h"
#include "loadmemory.h"
#include "lostpieces.h"
#include "textboxlayout.h"

#include "platform/messagebox.h"

#include "platform/twips.h"
#include "text/piecestore.h"
#include "text/textmodel.h"
#include "textfile/encodingchoices.h"
#include "textfile/loadedfile.h"
#include "textview/textview.h"

#include <QFileInfo>
#include <QMdiSubWindow>

frmDocument::frmDocument(QWidget *parent)
    : QWidget(parent), text_(new TextModel(this)), txtText(new TextView(*text_, this)),
      textBox_(*static_cast<TextView *>(txtText)),
      encoding_(std::make_unique<TextFileFormat::Encoding>(TextFileFormat::Encoding::system())),
      diskFile_(std::make_unique<DiskFile>()), lostPieces_(new LostPieces(*text_, this))
{
    setWindowTitle(QStringLiteral("frmDocument"));
    resize(sizeHint());
    setFocusProxy(txtText);
    connect(text_, &TextModel::lineBreakChanged, this, &frmDocument::fileFormatChanged);
    connect(this, &frmDocument::fileFormatChanged, this, &frmDocument::showFileFormat);
    showFileFormat();
    Form_Load();
}

frmDocument::~frmDocument()
{
    // A load still running stops first; the text box goes next, as it shows
    // the text until it is gone.
    load_.reset();
    delete txtText;
}

QSize frmDocument::sizeHint() const
{
    const Twips twips(*this);
    return {twips.toPixelsX(4680), twips.toPixelsY(3195)};
}

void frmDocument::Form_Load()
{
    Form_Resize();
}

void frmDocument::Form_Resize()
{
    const Twips twips(*this);
    const auto rect = textBoxRect(twips.fromPixelsX(width()), twips.fromPixelsY(height()));
    if (!rect)
        return; // too small: the text box keeps its place until the window grows
    const int left = twips.toPixelsX(rect->left());
    const int top = twips.toPixelsY(rect->top());
    const int right = twips.toPixelsX(rect->left() + rect->width());
    const int bottom = twips.toPixelsY(rect->top() + rect->height());
    txtText->setGeometry(left, top, right - left, bottom - top);
}

void frmDocument::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    Form_Resize();
}

// A screen reader tells the documents apart by the text box's name: the
// file's name, while the window's title keeps the full path, so that the
// two, read one after the other, do not say the path twice.
void frmDocument::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowTitleChange)
        txtText->setAccessibleName(QFileInfo(windowTitle()).fileName());
}

TextBox &frmDocument::ActiveControl()
{
    return textBox_;
}

void frmDocument::Unload()
{
    if (auto *subWindow = qobject_cast<QMdiSubWindow *>(parentWidget()))
        subWindow->close();
    else
        close();
}

bool frmDocument::isLoading() const
{
    return load_ && !load_->isFinished();
}

int frmDocument::loadProgress() const
{
    return load_ ? load_->percent() : -1;
}

std::optional<QString> frmDocument::load(const QString &path, const LoadSettings &settings)
{
    loadedFile_.reset();
    load_ = std::make_unique<DocumentLoad>(*text_, settings);
    connect(load_.get(), &DocumentLoad::formatFound, this, [this] {
        setEncoding(load_->format().encoding);
        emit formatFound();
    });
    connect(load_.get(), &DocumentLoad::progressed, this, &frmDocument::loadProgressChanged);
    connect(load_.get(), &DocumentLoad::loaded, this, [this, path, watcher = settings.watcher] {
        if (load_->loadedFile())
            loadedFile_ = std::make_unique<LoadedFile>(*load_->loadedFile());
        followLoadedFile(path, watcher);
        emit loaded();
    });
    connect(load_.get(), &DocumentLoad::failed, this, &frmDocument::loadFailed);
    readPath_ = path;
    std::optional<QString> refusal = load_->start(path);
    setPieceStore(load_->pieceStore());
    return refusal;
}

void frmDocument::setPieceStore(std::shared_ptr<PieceStore> store)
{
    pieceStore_ = std::move(store);
    if (pieceStore_)
        lostPieces_->watch(*pieceStore_);
}

bool frmDocument::fileIsAtItsPath() const
{
    const std::optional<FileStamp> atPath = FileStamp::ofPath(Caption());
    return loadedFile_ && atPath && atPath->sameFileAs(loadedFile_->stamp);
}

// The file as the text came from it: the stamp of the snapshot the load
// read, so that a file renamed over or changed while it loaded is told as
// soon as the load ends, and any change after it is another program's.
// A file that grew while it loaded holds bytes the text does not: it is
// known at the size read, so that the growth counts as another program's
// change and Save keeps that version aside before writing over it.
void frmDocument::followLoadedFile(const QString &path, FileWatcher *watcher)
{
    std::optional<FileStamp> known = FileStamp::ofPath(path);
    if (loadedFile_) {
        known = loadedFile_->stamp;
        if (loadedFile_->grew)
            known->size = loadedFile_->size;
    }
    diskFile_->follow(path, known, watcher);
    // Text typed while the file loaded is not the file's.
    if (!text_->history().canUndo() && !text_->history().canRedo())
        markSaved();
}

QString frmDocument::filePath() const
{
    return diskFile_->path().isEmpty() ? readPath_ : diskFile_->path();
}

// While the file loads, every edit is one: none of the text is saved yet,
// and an edit at its end waits for the rest.
bool frmDocument::hasUnsavedEdits() const
{
    if (isLoading())
        return text_->history().canUndo() || text_->history().canRedo() ||
               static_cast<const TextView *>(txtText)->hasWaitingEdits();
    return text_->revision() != savedRevision_;
}

void frmDocument::markSaved()
{
    savedRevision_ = text_->revision();
}

void frmDocument::markWritten(const JournalIdentity &identity)
{
    markSaved();
    if (journal_)
        journal_->written(identity);
}

DocumentJournal *frmDocument::keepJournal(std::shared_ptr<JournalWriter> writer)
{
    if (!journal_)
        journal_ = new DocumentJournal(*this, std::move(writer));
    return journal_;
}

// A load still running stops first, so that nothing more comes in.
void frmDocument::discardText()
{
    const DocumentJournal::Pause pause(journal_);
    if (journal_)
        journal_->discard();
    load_.reset();
    text_->setLoading(false);
    text_->setText(QStringView());
    text_->history().clear();
}

void frmDocument::setEncoding(const TextFileFormat::Encoding &encoding)
{
    if (encoding == *encoding_)
        return;
    *encoding_ = encoding;
    emit fileFormatChanged();
}

TextFileFormat::FileFormat frmDocument::fileFormat() const
{
    return {*encoding_, text_->lineBreak()};
}

QString frmDocument::formatName() const
{
    return TextFileFormat::shownFormat(fileFormat());
}

void frmDocument::showFileFormat()
{
    txtText->setAccessibleDescription(TextFileFormat::spokenFormat(fileFormat()));
}

void frmDocument::checkFileOnDisk()
{
    diskFile_->check();
}

std::optional<QString> frmDocument::encodingNote() const
{
    if (encoding_->writesLike(TextFileFormat::Encoding::system()))
        return std::nullopt;
    return QStringLiteral("Codifica: %1").arg(encoding_->displayName());
}

void frmDocument::guardMemory(const LoadMemory &memory, MessageBox &messages)
{
    auto &view = *static_cast<TextView *>(txtText);
    view.setEditCheck([&memory](qint64 characters) { return memory.refusalFor(characters); });
    connect(&view, &TextView::editRefused, this,
            [&messages](const QString &reason) { messages.show(reason); });
}
