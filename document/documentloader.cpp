#include "documentloader.h"

#include "documenthost.h"
#include "frmdocument.h"
#include "textfile/fileload.h"

#include "text/textmodel.h"
#include "text/textmodelappender.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFileInfo>
#include <QPointer>

#include <algorithm>
#include <limits>

namespace {

// A piece of this size decodes in well under a millisecond, and a file of
// more than one shows its progress.
constexpr qsizetype DefaultPieceSize = 256 << 10;

// Hides the progress again however the load ends.
class ProgressShown
{
public:
    explicit ProgressShown(DocumentHost &host) : host_(host) {}
    ~ProgressShown()
    {
        if (shown_)
            host_.showLoadProgress(-1);
    }
    void show(qint64 done, qint64 total)
    {
        const int percent = total > 0 ? int(std::clamp<qint64>(done * 100 / total, 0, 100)) : 0;
        if (shown_ && percent == last_)
            return;
        host_.showLoadProgress(percent);
        shown_ = true;
        last_ = percent;
    }

private:
    DocumentHost &host_;
    bool shown_ = false;
    int last_ = -1;
};

// A pipe would block the program until someone writes to it, and a device
// such as /dev/zero never ends: only files are read.
bool isOrdinaryOrMissing(const QString &path)
{
    const QFileInfo info(path);
    return !info.exists() || info.isFile() || info.isDir();
}

} // namespace

DocumentLoader::DocumentLoader(DocumentHost &host)
    : host_(host), pieceSize_(DefaultPieceSize), maximumLength_(std::numeric_limits<qint64>::max())
{
}

void DocumentLoader::setPieceSize(qsizetype bytes)
{
    pieceSize_ = std::max<qsizetype>(bytes, 1);
}

void DocumentLoader::setMaximumLength(qint64 characters)
{
    maximumLength_ = characters;
}

DocumentLoader::Result DocumentLoader::load(const QString &path, frmDocument &document)
{
    if (!isOrdinaryOrMissing(path))
        return {Outcome::Failed, QStringLiteral("Non è un file ordinario.")};
    const QPointer<frmDocument> window(&document);
    TextModel &text = document.text();
    TextModelAppender appender(text);
    // The decoding threads post an event here when chunks are ready, which
    // ends the wait for events below. It outlives the load, whose threads
    // may post to it until they have stopped.
    QObject wakeUps;
    FileLoad::Options options;
    options.blockSize = pieceSize_;
    FileLoad load(path, appender.chunkBuilder(), options);
    if (const std::optional<QString> reason = load.start(
            [&wakeUps] { QCoreApplication::postEvent(&wakeUps, new QEvent(QEvent::User)); }))
        return {Outcome::Failed, *reason};

    ProgressShown progress(host_);
    // A file of more than one piece lets the window have its turn at least
    // once, so that the start of the text shows at once.
    const bool longFile = load.size() > pieceSize_;
    bool paused = false;
    qint64 done = 0;
    for (;;) {
        for (FileLoad::Ready ready = load.take(); !ready.isEmpty(); ready = load.take()) {
            qint64 added = 0;
            for (const Chunk &chunk : ready.chunks)
                added += chunk.size();
            if (text.length() + added > maximumLength_)
                return {Outcome::Failed,
                        QStringLiteral("Il file è troppo grande per essere aperto nel documento.")};
            appender.append(std::move(ready.chunks));
            done += ready.bytes;
        }
        if (const std::optional<QString> reason = load.failure())
            return {Outcome::Failed, *reason};
        if (longFile)
            progress.show(done, load.size());
        const bool finished = load.isFinished();
        if (finished && (paused || !longFile))
            return {};
        QCoreApplication::processEvents(finished ? QEventLoop::AllEvents
                                                 : QEventLoop::WaitForMoreEvents);
        paused = true;
        if (!window)
            return {Outcome::WindowGone, {}};
    }
}
