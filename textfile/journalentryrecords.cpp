#include "journalentryrecords.h"

namespace {

// The records of a text, a piece of at most MaxTextBytes bytes each.
void textRecords(const JournalText &text, JournalRecord::Kind kind, qint64 position,
                 const std::function<void(const JournalRecord &)> &put)
{
    JournalRecord record;
    record.kind = kind;
    record.position = position;
    text.forEachPiece(JournalRecord::MaxTextBytes / 2,
                      [&](QByteArrayView latin1, QStringView utf16) {
                          if (utf16.isEmpty())
                              record.setLatin1(latin1);
                          else
                              record.setText(utf16);
                          put(record);
                          record.position += record.textLength();
                      });
}

} // namespace

JournalRecord originRecord(const JournalOrigin &origin)
{
    JournalRecord record;
    record.kind = JournalRecord::Kind::Origin;
    record.origin = origin;
    return record;
}

void recordsOf(const JournalEntry &entry, const std::function<void(const JournalRecord &)> &put)
{
    JournalRecord record;
    switch (entry.kind) {
    case JournalEntry::Kind::Edit:
        if (entry.removed > 0) {
            record.kind = JournalRecord::Kind::Remove;
            record.position = entry.position;
            record.count = entry.removed;
            put(record);
        }
        textRecords(entry.text, JournalRecord::Kind::Insert, entry.position, put);
        break;
    case JournalEntry::Kind::Base:
        textRecords(entry.text, JournalRecord::Kind::Base, 0, put);
        break;
    case JournalEntry::Kind::Identity:
        record.kind = JournalRecord::Kind::Identity;
        record.identity = entry.identity;
        put(record);
        break;
    case JournalEntry::Kind::Format:
        record.kind = JournalRecord::Kind::Format;
        record.format = entry.format;
        put(record);
        break;
    }
}
