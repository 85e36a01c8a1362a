#include "recoveredjournal.h"

#include "documenthost.h"
#include "documentjournal.h"
#include "documentjournals.h"
#include "frmdocument.h"

#include "text/textmodel.h"
#include "textfile/journalreplay.h"
#include "textfile/journalwriter.h"

bool RecoveredJournal::replayInto(frmDocument &document) const
{
    TextModel &text = document.text();
    const DocumentJournal::Pause pause(document.journal());
    TextHistory &history = text.history();
    history.beginStep(TextHistory::Kind::Other, {});
    const bool whole = JournalReplay::ofFile(path_, text, JournalReplay::Mode::Edits);
    history.endStep({});
    if (!whole) {
        history.undo();
        history.clear();
        return false;
    }
    document.setEncoding(summary_.format.encoding);
    text.setLineBreak(summary_.format.lineBreak);
    if (DocumentJournal *journal = document.journal())
        journal->resume(path_, summary_.wholeLength, summary_.origin, summary_.identity);
    return true;
}

RecoveredJournal::Elsewhere RecoveredJournal::intoNewDocument(DocumentHost &host,
                                                              DocumentJournals &journals) const
{
    using Mode = JournalReplay::Mode;
    const LineBreak lineBreak = summary_.format.lineBreak;
    TextModel kept;
    bool whole = summary_.origin.keepsBase &&
                 JournalReplay::ofFile(path_, kept, Mode::BaseAndEdits, lineBreak);
    if (!whole) {
        kept.setText({});
        JournalReplay::ofFile(path_, kept, Mode::Inserted, lineBreak);
    }
    Elsewhere result;
    frmDocument *document = kept.isEmpty() ? nullptr : host.CreateDocumentWindow();
    if (document) {
        document->setEncoding(summary_.format.encoding);
        TextModel &text = document->text();
        text.setLineBreak(lineBreak);
        ChunkBuilder builder = text.chunkBuilder();
        kept.forEachSpan(0, kept.length(), [&builder](const TextSpan &span) {
            builder.append(span);
            return true;
        });
        text.history().beginStep(TextHistory::Kind::Other, {});
        text.replace(0, 0, builder.take());
        text.history().endStep({});
        result = {document->Caption(), whole};
    }
    discard(journals);
    return result;
}

// Through the journal's thread, after whatever was handed to it before:
// the journal of a new document made from this one is written first.
void RecoveredJournal::discard(DocumentJournals &journals) const
{
    JournalWriter &writer = journals.writer();
    writer.remove(writer.resume(path_, summary_.wholeLength));
}
