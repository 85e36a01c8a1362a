#include "textfileformat.h"

#include "textdecoder.h"

#include "text/textsink.h"

namespace TextFileFormat {

QString decode(QByteArrayView bytes, const Encoding &encoding, LineBreak lineBreak)
{
    if (bytes.startsWith(encoding.mark()))
        bytes = bytes.sliced(encoding.mark().size());
    Decoder decoder(encoding, lineBreak);
    QString text;
    StringSink sink(text);
    decoder.decode(bytes, sink);
    decoder.finish(sink);
    return text;
}

} // namespace TextFileFormat
