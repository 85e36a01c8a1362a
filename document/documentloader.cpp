#include "documentloader.h"

#include "documenthost.h"
#include "frmdocument.h"
#include "textfile/textdecoder.h"
#include "textfile/textfileformat.h"

#include "text/textmodel.h"
#include "text/textmodelappender.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QPointer>

#include <algorithm>
#include <limits>

namespace {

// A megabyte decodes in a few milliseconds: the window never waits long for
// its turn.
constexpr qsizetype DefaultPieceSize = 1 << 20;

// The window gets its turn at most this often, so that painting and the
// progress bar do not take much of the load's time.
constexpr int DefaultPauseInterval = 25;

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
    : host_(host), pieceSize_(DefaultPieceSize), maximumLength_(std::numeric_limits<qint64>::max()),
      pauseInterval_(DefaultPauseInterval)
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

void DocumentLoader::setPauseInterval(int milliseconds)
{
    pauseInterval_ = milliseconds;
}

DocumentLoader::Result DocumentLoader::load(const QString &path, frmDocument &document)
{
    if (!isOrdinaryOrMissing(path))
        return {Outcome::Failed, QStringLiteral("Non è un file ordinario.")};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {Outcome::Failed, file.errorString()};

    const QPointer<frmDocument> window(&document);
    TextModel &text = document.text();
    TextModelAppender appender(text);
    TextFileFormat::Decoder decoder;
    ProgressShown progress(host_);
    const qint64 size = file.size(); // 0 for files whose size is not known in advance
    qint64 done = 0;
    QElapsedTimer sincePause;
    bool paused = false;
    QByteArray bytes(pieceSize_, Qt::Uninitialized);
    for (;;) {
        const qint64 read = file.read(bytes.data(), bytes.size());
        if (read < 0)
            return {Outcome::Failed, file.errorString()};
        if (read == 0)
            decoder.finish(appender);
        else
            decoder.decode(QByteArrayView(bytes.constData(), read), appender);
        if (text.length() + appender.pending() > maximumLength_)
            return {Outcome::Failed,
                    QStringLiteral("Il file è troppo grande per essere aperto nel documento.")};
        if (read == 0) {
            appender.flush();
            return {};
        }
        done += read;
        // A file that fits in one piece loads without a pause. A longer one
        // pauses after its first piece, so that the window shows the start
        // of the text at once, and then every pause interval.
        const bool longFile = done >= pieceSize_ || size > pieceSize_;
        if (longFile && (!paused || sincePause.elapsed() >= pauseInterval_)) {
            appender.flush();
            progress.show(done, size);
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
            if (!window)
                return {Outcome::WindowGone, {}};
            paused = true;
            sincePause.start();
        }
    }
}
