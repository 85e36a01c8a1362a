#include "journalsummary.h"

#include "journalreader.h"

std::optional<JournalSummary> JournalSummary::of(QIODevice &device)
{
    JournalReader reader(device);
    if (!reader.open())
        return std::nullopt;
    JournalSummary summary;
    summary.origin = reader.origin();
    summary.identity = summary.origin.identity;
    summary.format = summary.origin.format;
    while (const std::optional<JournalRecord> record = reader.next()) {
        if (record->kind == JournalRecord::Kind::Identity)
            summary.identity = record->identity;
        else if (record->kind == JournalRecord::Kind::Format)
            summary.format = record->format;
    }
    summary.wholeLength = reader.wholeLength();
    summary.stoppedShort = reader.stoppedShort();
    return summary;
}
