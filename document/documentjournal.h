#pragma once

#include "textfile/detection.h"
#include "textfile/journalidentity.h"
#include "textfile/journaltext.h"
#include "textfile/journalwriter.h"

#include <QObject>

#include <memory>
#include <optional>

class frmDocument;

/// The journal of one document, kept while the document has edits that
/// are not saved, so that the program ending without a choice (a signal,
/// a lost display, a crash, a power cut) loses none of them.
///
/// The first edit starts it: with where the text came from (a new
/// document, or a file, its format and its identity once read), and for a
/// file of up to BaseLimit bytes of text the text as it was then, so that
/// the document comes back whole even if its file changes. Every edit
/// after, undo and redo included, and every change of what the next Save
/// writes follows. A Save ends it (the file holds the text; the next edit
/// starts one from that file), and so does the document's end when it is
/// chosen: the journal goes with the document, as the text does.
class DocumentJournal : public QObject
{
    Q_OBJECT

public:
    /// The text before the first edit is kept for files of up to 16 MB of
    /// text: it costs a copy of the text, made once, at the first edit
    /// after a load or a Save (a few milliseconds), and as much on the
    /// disk. Larger files are rarely edited by hand; theirs come back as
    /// the file as it is and what was typed, when the file has changed.
    static constexpr qint64 BaseLimit = qint64(16) << 20;
    /// How long after a journal could not be written it is tried again.
    static constexpr qint64 RetryMilliseconds = 5000;

    DocumentJournal(frmDocument &document, std::shared_ptr<JournalWriter> writer);
    /// The document's end was chosen: its journal goes.
    ~DocumentJournal() override;

    /// While one lives, edits of the text are not journalled: text that a
    /// journal already holds, or text being thrown away.
    class Pause
    {
    public:
        explicit Pause(DocumentJournal *journal) : journal_(journal)
        {
            if (journal_)
                ++journal_->paused_;
        }
        ~Pause()
        {
            if (journal_)
                --journal_->paused_;
        }
        Pause(const Pause &) = delete;
        Pause &operator=(const Pause &) = delete;

    private:
        DocumentJournal *journal_;
    };

    /// Carries on the journal at path, cut back to length bytes, whose
    /// edits the text now holds; origin is where it says the text came
    /// from.
    void resume(const QString &path, qint64 length, const JournalOrigin &origin,
                const std::optional<JournalIdentity> &identity);
    /// The text is now the file's, as a Save wrote it: the journal goes.
    void written(const JournalIdentity &identity);
    /// The text is thrown away, to be read again: the journal goes.
    void discard();
    /// The journal could not be written (or, with failing false, can again).
    void troubled(JournalWriter::Id id, bool failing);

    JournalWriter::Id id() const { return id_; }

signals:
    /// An edit of a document held in pieces of its file added more text
    /// than a journal can copy (a replacement of everything): the journal
    /// is set aside until the next Save, and the person is told.
    void setAside();

private:
    void putAside();
    void aboutToEdit();
    void edited(qint64 position, qint64 removed, qint64 added, const QString &inserted);
    void formatFound();
    void loaded();
    void becameNew();
    void formatChanged();
    void start(JournalEntry first);
    /// Starts the journal anew from the whole text, as one edit.
    void renewFromText();
    JournalOrigin origin() const;
    /// The characters of [from, to) of the text, as it stores them.
    JournalText copied(qint64 from, qint64 to) const;
    std::vector<JournalEntry> formatEntry() const;

    frmDocument &document_;
    const std::shared_ptr<JournalWriter> writer_;
    JournalWriter::Id id_ = 0;
    int paused_ = 0;
    /// The file the text came from or was saved to; empty for a new
    /// document.
    QString path_;
    TextFileFormat::FileFormat readFormat_;
    std::optional<JournalIdentity> identity_;
    /// Characters added less removed since the text was its file's.
    qint64 netChange_ = 0;
    bool identityPending_ = false;
    TextFileFormat::FileFormat lastFormat_;
    std::optional<JournalText> base_;
    bool troubled_ = false;
    bool asideUntilSaved_ = false;
};
