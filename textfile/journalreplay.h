#pragma once

#include "journalrecord.h"

#include "text/chunkbuilder.h"
#include "text/linebreak.h"

class TextModel;

/// Makes a journal's records into text, one record at a time, as a reader
/// gives them. Inserts that follow on from one another go in as one.
class JournalReplay
{
public:
    enum class Mode {
        /// The edits, onto the text they were made on: the file's text as
        /// it was read, or nothing for a new document.
        Edits,
        /// The text as it was before the first edit, which the journal
        /// keeps, then the edits onto it.
        BaseAndEdits,
        /// Only what the edits inserted, after the text, each run of
        /// characters typed one after another starting a line of its own:
        /// what can be given back of edits whose text is gone.
        Inserted,
    };

    /// lineBreak ends each run of inserted characters but the last.
    JournalReplay(TextModel &text, Mode mode, LineBreak lineBreak = LineBreak::CrLf);

    /// Takes the next record; false when its edit does not fit the text
    /// (it lies past the text's end), and nothing after it can either.
    bool take(const JournalRecord &record);
    /// Puts in what is still gathered.
    void finish();

    /// Makes the records of the journal at path into text, from its first
    /// record after the origin to its last whole one; false when it cannot
    /// be read, or a record does not fit the text.
    static bool ofFile(const QString &path, TextModel &text, Mode mode,
                       LineBreak lineBreak = LineBreak::CrLf);

private:
    bool insert(qint64 position, const JournalRecord &record);
    bool remove(qint64 position, qint64 count);
    void gather(const JournalRecord &record);
    /// The text's length with the characters gathered.
    qint64 length() const;

    TextModel &text_;
    const Mode mode_;
    const LineBreak lineBreak_;
    ChunkBuilder run_;
    qint64 runStart_ = 0;
    qint64 runEnd_ = -1; ///< where the last insert ended, in the edits' own places
};
