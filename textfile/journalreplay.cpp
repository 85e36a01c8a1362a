#include "journalreplay.h"

#include "journalreader.h"

#include "text/textmodel.h"

#include <QFile>

JournalReplay::JournalReplay(TextModel &text, Mode mode, LineBreak lineBreak)
    : text_(text), mode_(mode), lineBreak_(lineBreak), run_(text.chunkBuilder())
{
}

qint64 JournalReplay::length() const
{
    return text_.length() + (mode_ == Mode::Inserted ? 0 : run_.appended());
}

void JournalReplay::gather(const JournalRecord &record)
{
    if (record.wide)
        run_.append(QStringView(record.textString()));
    else
        run_.appendLatin1(record.text.constData(), record.text.size());
}

bool JournalReplay::take(const JournalRecord &record)
{
    using Kind = JournalRecord::Kind;
    switch (record.kind) {
    case Kind::Base:
        return mode_ != Mode::BaseAndEdits || insert(length(), record);
    case Kind::Insert:
        return insert(record.position, record);
    case Kind::Remove:
        return mode_ == Mode::Inserted || remove(record.position, record.count);
    default:
        return true;
    }
}

bool JournalReplay::insert(qint64 position, const JournalRecord &record)
{
    if (mode_ == Mode::Inserted) {
        if (position != runEnd_ && (!text_.isEmpty() || !run_.isEmpty()))
            run_.append(lineBreakText(lineBreak_));
        gather(record);
        runEnd_ = position + record.textLength();
        return true;
    }
    if (position < 0 || position > length())
        return false;
    if (run_.isEmpty() || position != runStart_ + run_.appended()) {
        finish();
        runStart_ = position;
    }
    gather(record);
    return true;
}

bool JournalReplay::remove(qint64 position, qint64 count)
{
    finish();
    if (position < 0 || count < 0 || position + count > text_.length())
        return false;
    text_.replace(position, position + count, QStringView());
    return true;
}

void JournalReplay::finish()
{
    if (run_.isEmpty())
        return;
    const qint64 at = mode_ == Mode::Inserted ? text_.length() : runStart_;
    text_.replace(at, at, run_.take());
}

bool JournalReplay::ofFile(const QString &path, TextModel &text, Mode mode, LineBreak lineBreak)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    JournalReader reader(file);
    if (!reader.open())
        return false;
    JournalReplay replay(text, mode, lineBreak);
    while (const std::optional<JournalRecord> record = reader.next())
        if (!replay.take(*record))
            return false;
    replay.finish();
    return true;
}
