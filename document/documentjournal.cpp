#include "documentjournal.h"

#include "frmdocument.h"

#include "text/textmodel.h"
#include "textfile/filedigest.h"
#include "textfile/loadedfile.h"

#include <QTimer>

DocumentJournal::DocumentJournal(frmDocument &document, std::shared_ptr<JournalWriter> writer)
    : QObject(&document), document_(document), writer_(std::move(writer)),
      readFormat_(document.fileFormat())
{
    TextModel &text = document.text();
    connect(&text, &TextModel::aboutToReplace, this, &DocumentJournal::aboutToEdit);
    connect(&text, &TextModel::edited, this, &DocumentJournal::edited);
    connect(&document, &frmDocument::formatFound, this, &DocumentJournal::formatFound);
    connect(&document, &frmDocument::loaded, this, &DocumentJournal::loaded);
    connect(&document, &frmDocument::loadFailed, this, &DocumentJournal::becameNew);
    connect(&document, &frmDocument::fileFormatChanged, this, &DocumentJournal::formatChanged);
}

DocumentJournal::~DocumentJournal()
{
    if (id_)
        writer_->remove(id_);
}

// The text before the first edit, while it is still there: kept for a
// file read whole and small enough.
void DocumentJournal::aboutToEdit()
{
    if (paused_ || id_)
        return;
    const TextModel &text = document_.text();
    base_.reset();
    // A document whose text is still in pieces of its file is never copied:
    // its characters in memory say nothing of its size.
    if (!path_.isEmpty() && identity_ && !document_.isLoading() && text.storedLength() == 0 &&
        text.bytes() <= BaseLimit)
        base_ = copied(0, text.length());
}

void DocumentJournal::edited(qint64 position, qint64 removed, qint64 added, const QString &inserted)
{
    netChange_ += added - removed;
    if (paused_)
        return;
    if (troubled_ || asideUntilSaved_)
        return; // the journal holds this edit once it is renewed
    // Text read from pieces of a large file would be copied whole into
    // memory, which a document in pieces has no room for.
    if (document_.pieceStore() && inserted.size() != added && added > BaseLimit)
        return putAside();

    JournalText text =
        inserted.size() == added ? JournalText(inserted) : copied(position, position + added);
    JournalEntry entry = JournalEntry::edit(position, removed, std::move(text));
    if (id_)
        writer_->add(id_, std::move(entry));
    else
        start(std::move(entry));
}

JournalOrigin DocumentJournal::origin() const
{
    JournalOrigin origin;
    origin.path = path_;
    origin.format = path_.isEmpty() ? document_.fileFormat() : readFormat_;
    origin.identity = identity_;
    return origin;
}

std::vector<JournalEntry> DocumentJournal::formatEntry() const
{
    if (document_.fileFormat() == origin().format)
        return {};
    return {JournalEntry::formatOf(document_.fileFormat())};
}

void DocumentJournal::start(JournalEntry first)
{
    JournalOrigin origin = this->origin();
    std::vector<JournalEntry> entries = formatEntry();
    if (base_) {
        origin.keepsBase = true;
        entries.insert(entries.begin(), JournalEntry::base(std::move(*base_)));
        base_.reset();
    }
    entries.push_back(std::move(first));
    identityPending_ = !path_.isEmpty() && !identity_;
    lastFormat_ = document_.fileFormat();
    id_ = writer_->start(origin, std::move(entries));
}

// The whole text as one edit: on the file's text once it is whole, which
// it replaces, or as a new document's.
void DocumentJournal::renewFromText()
{
    troubled_ = false;
    const TextModel &text = document_.text();
    if (document_.isLoading() && !path_.isEmpty())
        return becameNew(); // the file's text is not whole yet: no edit can stand on it
    const qint64 fileLength = path_.isEmpty() ? 0 : text.length() - netChange_;
    std::vector<JournalEntry> entries = formatEntry();
    entries.push_back(JournalEntry::edit(0, fileLength, copied(0, text.length())));
    identityPending_ = false;
    lastFormat_ = document_.fileFormat();
    if (id_)
        writer_->renew(id_, origin(), std::move(entries));
    else
        id_ = writer_->start(origin(), std::move(entries));
}

JournalText DocumentJournal::copied(qint64 from, qint64 to) const
{
    JournalText text;
    document_.text().forEachSpan(from, to, [&text](const TextSpan &span) {
        if (span.isWide())
            text.appendUtf16(span.utf16, span.size);
        else
            text.appendLatin1(span.latin1, span.size);
        return true;
    });
    return text;
}

// A load has begun reading the document's file: its text is that file's.
void DocumentJournal::formatFound()
{
    path_ = document_.filePath();
    readFormat_ = document_.fileFormat();
    identity_.reset();
    netChange_ = 0;
}

void DocumentJournal::loaded()
{
    const LoadedFile *file = document_.loadedFile();
    if (!file || !file->digest)
        return; // a pipe's bytes cannot be read again: nothing is ever replayed onto them
    identity_ =
        JournalIdentity{file->stamp, file->size, JournalIdentity::checksumOf(*file->digest)};
    if (id_ && identityPending_ && !troubled_)
        writer_->add(id_, JournalEntry::identityOf(*identity_));
    identityPending_ = false;
}

// A load that failed after edits leaves a new document with the text.
void DocumentJournal::becameNew()
{
    path_.clear();
    identity_.reset();
    netChange_ = 0;
    if (id_ && !paused_)
        document_.pieceStore() ? putAside() : renewFromText();
}

void DocumentJournal::formatChanged()
{
    if (!id_ || paused_ || troubled_ || document_.fileFormat() == lastFormat_)
        return;
    lastFormat_ = document_.fileFormat();
    writer_->add(id_, JournalEntry::formatOf(lastFormat_));
}

void DocumentJournal::resume(const QString &path, qint64 length, const JournalOrigin &origin,
                             const std::optional<JournalIdentity> &identity)
{
    path_ = origin.path;
    readFormat_ = origin.format;
    identity_ = identity;
    lastFormat_ = document_.fileFormat();
    id_ = writer_->resume(path, length);
}

void DocumentJournal::written(const JournalIdentity &identity)
{
    discard();
    path_ = document_.filePath();
    readFormat_ = document_.fileFormat();
    identity_ = identity;
    netChange_ = 0;
    troubled_ = false;
    asideUntilSaved_ = false;
}

void DocumentJournal::putAside()
{
    discard();
    asideUntilSaved_ = true;
    emit setAside();
}

void DocumentJournal::discard()
{
    if (id_)
        writer_->remove(id_);
    id_ = 0;
    troubled_ = false;
}

void DocumentJournal::troubled(JournalWriter::Id id, bool failing)
{
    if (id != id_)
        return;
    troubled_ = failing;
    if (failing)
        QTimer::singleShot(RetryMilliseconds, this, [this] {
            if (troubled_ && id_)
                document_.pieceStore() ? putAside() : renewFromText();
        });
}
