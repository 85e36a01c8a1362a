#include "textfileformat.h"

#include "textdecoder.h"

#include "text/textsink.h"

namespace TextFileFormat {

Encoding systemEncoding()
{
#ifdef Q_OS_WIN
    return Encoding::CodePage;
#else
    // Qt takes the locale's encoding to be UTF-8 on every other system.
    return Encoding::Utf8;
#endif
}

QString decode(QByteArrayView bytes, Encoding encoding)
{
    Decoder decoder(encoding);
    QString text;
    StringSink sink(text);
    decoder.decode(bytes, sink);
    decoder.finish(sink);
    return text;
}

} // namespace TextFileFormat
