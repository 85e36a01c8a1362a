#pragma once

#include "journalrecord.h"
#include "journaltext.h"

/// What the window hands the journal's thread for one document: an edit
/// (what it removed and what it inserted where), a piece of the text as it
/// was before the first edit, the file's identity once known, or the
/// format the next Save writes. The thread turns it into records.
struct JournalEntry
{
    enum class Kind { Edit, Base, Identity, Format };

    Kind kind = Kind::Edit;
    qint64 position = 0;
    qint64 removed = 0;
    JournalText text;
    JournalIdentity identity;
    TextFileFormat::FileFormat format;

    static JournalEntry edit(qint64 position, qint64 removed, JournalText inserted)
    {
        JournalEntry entry;
        entry.position = position;
        entry.removed = removed;
        entry.text = std::move(inserted);
        return entry;
    }
    static JournalEntry base(JournalText text)
    {
        JournalEntry entry;
        entry.kind = Kind::Base;
        entry.text = std::move(text);
        return entry;
    }
    static JournalEntry identityOf(const JournalIdentity &identity)
    {
        JournalEntry entry;
        entry.kind = Kind::Identity;
        entry.identity = identity;
        return entry;
    }
    static JournalEntry formatOf(const TextFileFormat::FileFormat &format)
    {
        JournalEntry entry;
        entry.kind = Kind::Format;
        entry.format = format;
        return entry;
    }
};
