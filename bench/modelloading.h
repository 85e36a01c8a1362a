#pragma once

// Loading a file into a model as the program does, and restarting the count
// of peak memory, for the benchmarks that work on a model.

#include "text/textmodel.h"
#include "text/textmodelappender.h"
#include "textfile/textdecoder.h"

#include <QFile>

namespace Bench {

/// Reads the file in pieces of a megabyte, decoded straight into the model.
inline bool loadModel(TextModel &model, const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    TextFileFormat::Decoder decoder;
    TextModelAppender appender(model);
    QByteArray bytes(1 << 20, Qt::Uninitialized);
    for (;;) {
        const qint64 read = file.read(bytes.data(), bytes.size());
        if (read < 0)
            return false;
        if (read == 0)
            break;
        decoder.decode(QByteArrayView(bytes.constData(), read), appender);
    }
    decoder.finish(appender);
    appender.flush();
    return true;
}

/// From now on VmHWM counts the peak from the memory in use now.
inline void resetPeakMemory()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

} // namespace Bench
