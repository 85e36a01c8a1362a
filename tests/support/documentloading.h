#pragma once

#include "document/documentload.h"
#include "document/frmdocument.h"

#include <QEventLoop>
#include <QTimer>

#include <memory>
#include <optional>

/// Loads a file into a document and waits until the load has ended, the
/// event loop running meanwhile as it does in the program. The reason when
/// the load failed, at once or later.
inline std::optional<QString> loadAndWait(frmDocument &document, const QString &path,
                                          const DocumentLoad::Settings &settings = {})
{
    std::optional<QString> failure;
    QEventLoop wait;
    const auto failed =
        QObject::connect(&document, &frmDocument::loadFailed, &wait, [&](const QString &reason) {
            failure = reason;
            wait.quit();
        });
    QObject::connect(&document, &frmDocument::loaded, &wait, &QEventLoop::quit);
    if (std::optional<QString> reason = document.load(path, settings))
        return reason;
    if (document.isLoading()) {
        QTimer::singleShot(60000, &wait, &QEventLoop::quit);
        wait.exec();
    }
    QObject::disconnect(failed);
    return failure;
}

/// Waits until the document has no file loading.
inline bool waitForLoad(frmDocument &document)
{
    if (!document.isLoading())
        return true;
    QEventLoop wait;
    QObject::connect(&document, &frmDocument::loaded, &wait, &QEventLoop::quit);
    QObject::connect(&document, &frmDocument::loadFailed, &wait, &QEventLoop::quit);
    QObject::connect(&document, &QObject::destroyed, &wait, &QEventLoop::quit);
    QTimer::singleShot(60000, &wait, &QEventLoop::quit);
    wait.exec();
    return true;
}

/// A mark put in a load's reading options. Every copy of the options holds
/// it, the reading threads' own included, so once the test's is the last
/// the load and all its threads are gone: nothing of it can post to a
/// window any more, and whatever it posted is already waiting in the queue.
class ReadingMark
{
public:
    void putIn(LoadOptions &options) const
    {
        options.afterPart = [mark = mark_](qsizetype) { Q_UNUSED(mark); };
    }
    bool isLastHeld() const { return mark_.use_count() == 1; }

private:
    std::shared_ptr<int> mark_ = std::make_shared<int>();
};
