#include "journalreader.h"

#include <QIODevice>

#include <algorithm>

namespace {

// Read a megabyte at a time, about a record of a large text.
constexpr qint64 ReadSize = JournalRecord::MaxTextBytes;

} // namespace

void JournalReader::fill(qint64 count)
{
    if (buffer_.size() - at_ >= count || atEnd_)
        return;
    buffer_.remove(0, at_);
    at_ = 0;
    while (buffer_.size() < count && !atEnd_) {
        const qsizetype before = buffer_.size();
        buffer_.resize(before + std::max(ReadSize, count - before));
        const qint64 read = device_.read(buffer_.data() + before, buffer_.size() - before);
        buffer_.resize(before + std::max<qint64>(read, 0));
        atEnd_ = read <= 0;
    }
}

bool JournalReader::open()
{
    const QByteArrayView magic = JournalRecord::magic();
    fill(magic.size());
    if (QByteArrayView(buffer_).first(std::min(buffer_.size(), magic.size())) != magic)
        return false;
    at_ = magic.size();
    whole_ = magic.size();
    const std::optional<JournalRecord> first = next();
    if (!first || first->kind != JournalRecord::Kind::Origin)
        return false;
    origin_ = first->origin;
    return true;
}

std::optional<JournalRecord> JournalReader::next()
{
    if (stopped_)
        return std::nullopt;
    fill(4);
    const std::optional<qint64> length =
        JournalRecord::lengthAt(QByteArrayView(buffer_).sliced(at_));
    fill(length.value_or(0));
    JournalRecord record;
    qint64 taken = 0;
    const JournalRecord::Read read =
        JournalRecord::read(QByteArrayView(buffer_).sliced(at_), record, taken);
    if (read != JournalRecord::Read::Whole) {
        stopped_ = true;
        stoppedShort_ = at_ < buffer_.size();
        return std::nullopt;
    }
    at_ += taken;
    whole_ += taken;
    return record;
}
