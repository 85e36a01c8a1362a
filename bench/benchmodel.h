#pragma once

// What the benchmarks of the text model share: loading a file into a model
// as the program does, and the peak memory made to start again.

#include "benchsupport.h"

#include "text/textmodel.h"
#include "text/textmodelappender.h"
#include "textfile/textdecoder.h"

namespace Bench {

/// Makes VmHWM start again from the memory in use now.
inline void resetPeakMemory()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

/// Reads a file into a model a megabyte at a time, as the program loads it.
inline bool load(TextModel &model, const QString &path)
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

} // namespace Bench
