// Reads the input as a document's journal, as a program starting after
// another one ended reads what it left: every record read must be written
// back as the very bytes it was read from, the reader must end where its
// last whole record does, and the records must go onto a text in every
// way the program puts them, the edits counting the text's length right.

#include "fuzzcheck.h"

#include "text/textmodel.h"
#include "textfile/journalreader.h"
#include "textfile/journalreplay.h"

#include <QBuffer>

namespace {

using Mode = JournalReplay::Mode;

// Most inputs start as a journal does, so that the fuzzer spends its time
// on the records.
QByteArray journalOf(const uint8_t *data, size_t size)
{
    const QByteArray input(reinterpret_cast<const char *>(data), qsizetype(size));
    if (size > 0 && data[0] >= 0xF0)
        return input.sliced(1);
    return JournalRecord::magic().toByteArray() + input.sliced(size > 0 ? 1 : 0);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QByteArray bytes = journalOf(data, size);
    QBuffer device(&bytes);
    device.open(QIODevice::ReadOnly);
    JournalReader reader(device);
    if (!reader.open())
        return 0;
    TextModel edits(16);
    edits.setText(u"uno\r\ndue");
    TextModel base(16);
    TextModel inserted(16);
    JournalReplay onEdits(edits, Mode::Edits);
    JournalReplay onBase(base, Mode::BaseAndEdits);
    JournalReplay onInserted(inserted, Mode::Inserted, LineBreak::Lf);
    bool editsFit = true;
    qint64 length = edits.length();
    qint64 at = reader.wholeLength();
    while (const std::optional<JournalRecord> record = reader.next()) {
        QByteArray again;
        record->writeTo(again);
        FUZZ_CHECK(again == bytes.sliced(at, again.size()));
        at += again.size();
        FUZZ_CHECK(reader.wholeLength() == at);
        if (editsFit && (editsFit = onEdits.take(*record))) {
            if (record->kind == JournalRecord::Kind::Insert)
                length += record->textLength();
            else if (record->kind == JournalRecord::Kind::Remove)
                length -= record->count;
        }
        onBase.take(*record);
        onInserted.take(*record);
    }
    FUZZ_CHECK(reader.wholeLength() <= bytes.size());
    FUZZ_CHECK(reader.stoppedShort() == (reader.wholeLength() < bytes.size()));
    onEdits.finish();
    onBase.finish();
    onInserted.finish();
    if (editsFit)
        FUZZ_CHECK(edits.length() == length);
    return 0;
}
