#pragma once

// Loading a file into a model as the program does, and restarting the count
// of peak memory, for the benchmarks that work on a model.

#include "text/textmodel.h"
#include "text/textmodelappender.h"
#include "textfile/fileload.h"
#include "textfile/filesnapshot.h"

#include <QFile>

#include <condition_variable>
#include <mutex>

namespace Bench {

/// The load as the program makes it: the file decoded into chunks on
/// threads of their own, the chunks put in place here as they come.
inline bool loadModel(TextModel &model, const QString &path)
{
    TextModelAppender appender(model);
    std::mutex mutex;
    std::condition_variable woken;
    bool wake = false;
    std::shared_ptr<FileSnapshot> snapshot = FileSnapshot::open(path);
    if (!snapshot)
        return false;
    FileLoad load(std::move(snapshot), appender.chunkBuilder(), FileLoad::Options());
    load.start([&] {
        const std::lock_guard lock(mutex);
        wake = true;
        woken.notify_one();
    });
    for (;;) {
        for (FileLoad::Ready ready = load.take(); !ready.isEmpty(); ready = load.take())
            appender.append(std::move(ready.chunks));
        if (load.isFinished())
            return !load.failure();
        std::unique_lock lock(mutex);
        woken.wait(lock, [&] { return wake; });
        wake = false;
    }
}

/// From now on VmHWM counts the peak from the memory in use now.
inline void resetPeakMemory()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

} // namespace Bench
