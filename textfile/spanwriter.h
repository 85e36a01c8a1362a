#pragma once

#include "encoding.h"
#include "singlebytetable.h"

#include "text/textspan.h"

#include <QByteArray>
#include <QByteArrayView>

#include <functional>
#include <optional>

namespace TextFileFormat {

/// Collects encoded bytes and hands them on a megabyte at a time.
class ByteStream
{
public:
    explicit ByteStream(const std::function<bool(QByteArrayView)> &write);

    /// Where the next bytes (at most size of them) go; nullptr when handing
    /// on what came before failed.
    uchar *room(qsizetype size);
    void wrote(const uchar *end)
    {
        used_ = end - reinterpret_cast<const uchar *>(buffer_.constData());
    }
    /// Hands on what was collected.
    bool flush();
    /// Hands on what was collected, then bytes, without collecting them.
    bool writeThrough(QByteArrayView bytes);
    /// How many bytes came in all, those still collected included.
    qint64 position() const { return flushed_ + used_; }

private:
    const std::function<bool(QByteArrayView)> &write_;
    QByteArray buffer_;
    qsizetype used_ = 0;
    qint64 flushed_ = 0;
};

/// Writes the spans of a text in one encoding, one after the other.
class SpanWriter
{
public:
    explicit SpanWriter(const Encoding &encoding);

    /// False when a character cannot be written in the encoding, or
    /// handing the bytes on fails.
    bool write(const TextSpan &span, ByteStream &out);
    /// Makes whole the unit that escapes of loose bytes began, as text
    /// after them would (UTF-16 and UTF-32), so that bytes written next
    /// start on a unit.
    bool completeUnit(ByteStream &out);

private:
    Encoding encoding_;
    std::optional<SingleByteTable> table_;
    int looseBytes_ = 0; ///< bytes of a unit begun by escapes, from one span to the next
};

/// Writes the encoding's byte-order mark, if it has one.
bool writeMark(const Encoding &encoding, ByteStream &out);

} // namespace TextFileFormat
