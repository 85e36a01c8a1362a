#include "backgroundfind.h"

#include "textview/textview.h"

#include "text/piecedsearch.h"
#include "text/searchsnapshot.h"
#include "text/textmodel.h"
#include "textfile/detachedthread.h"

#include <QCoreApplication>
#include <QKeyEvent>

#include <mutex>
#include <new>
#include <system_error>

namespace {

// The search's calls go a few levels deep, as the load's do.
constexpr std::size_t ThreadStack = std::size_t(1) << 20;

// Text in memory beside the pieces that a snapshot may copy, in bytes.
constexpr qint64 CopiedBytes = qint64(64) << 20;

bool startThread(std::function<void()> work)
{
    try {
        startDetachedThread(std::move(work), ThreadStack);
        return true;
    } catch (const std::system_error &) {
        return false;
    }
}

} // namespace

/// One search: the flag that stops its threads, and who is told when it
/// ends, let go of (under the lock) once nobody waits for it.
struct BackgroundFind::Run
{
    std::shared_ptr<std::atomic<bool>> stop = std::make_shared<std::atomic<bool>>(false);
    std::mutex mutex;
    BackgroundFind *owner = nullptr;
};

BackgroundFind::BackgroundFind(QObject *parent) : QObject(parent) {}

BackgroundFind::~BackgroundFind()
{
    stop();
}

bool BackgroundFind::suits(const TextView &view)
{
    const TextModel &model = view.model();
    return model.storedLength() > 0 && model.bytes() <= CopiedBytes;
}

// The thread holds everything it reads, so that it may end on its own
// after the document, or the program's window, has gone.
bool BackgroundFind::start(TextView &view, const SearchQuery &query, bool forward, Done done)
{
    stop();
    auto run = std::make_shared<Run>();
    run->owner = this;
    std::shared_ptr<SearchSnapshot> snapshot;
    try {
        snapshot = std::make_shared<SearchSnapshot>(view.model());
    } catch (const std::bad_alloc &) {
        return false; // searched at once instead, which copies nothing
    }
    const qint64 length = view.model().length();
    const qint64 selectionStart = view.cursor().selectionStart();
    const qint64 selectionEnd = view.cursor().selectionEnd();
    const bool started = startThread([run, snapshot, query, forward, length, selectionStart,
                                      selectionEnd] {
        std::optional<WrappedMatch> found;
        bool outOfMemory = false;
        try {
            const std::unique_ptr<TextModel> model = snapshot->takeModel();
            const PiecedSearch search(*model, query, startThread, run->stop);
            found = findWrapped(search, length, selectionStart, selectionEnd, forward);
        } catch (const std::bad_alloc &) {
            outOfMemory = true;
        }
        const std::lock_guard lock(run->mutex);
        if (BackgroundFind *owner = run->owner; owner && !run->stop->load())
            QMetaObject::invokeMethod(
                owner, [owner, run, found, outOfMemory] { owner->finish(run, found, outOfMemory); },
                Qt::QueuedConnection);
    });
    if (!started)
        return false;
    run_ = run;
    view_ = &view;
    done_ = std::move(done);
    // A search of the text as it was says nothing of the text as it is.
    watches_ = {connect(&view.model(), &TextModel::contentsChanged, this, &BackgroundFind::stop),
                connect(&view.model(), &TextModel::aboutToBeDestroyed, this,
                        &BackgroundFind::documentGone)};
    QCoreApplication::instance()->installEventFilter(this);
    return true;
}

void BackgroundFind::stop()
{
    if (!run_)
        return;
    {
        const std::lock_guard lock(run_->mutex);
        run_->stop->store(true);
        run_->owner = nullptr;
    }
    run_.reset();
    done_ = nullptr;
    for (const QMetaObject::Connection &watch : watches_)
        disconnect(watch);
    watches_.clear();
    if (QCoreApplication *application = QCoreApplication::instance())
        application->removeEventFilter(this);
}

void BackgroundFind::documentGone()
{
    if (!run_)
        return;
    stop();
    emit abandoned(false);
}

void BackgroundFind::finish(const std::shared_ptr<Run> &run,
                            const std::optional<WrappedMatch> &found, bool outOfMemory)
{
    if (run != run_)
        return;
    const QPointer<TextView> view = view_;
    const Done done = done_;
    stop();
    if (!view || outOfMemory) {
        emit abandoned(outOfMemory);
        return;
    }
    const FindCommands::Outcome outcome = FindCommands::select(*view, found);
    if (done)
        done(*view, outcome);
}

bool BackgroundFind::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress && run_ &&
        static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape) {
        stop();
        emit interrupted();
        return true;
    }
    return QObject::eventFilter(watched, event);
}
