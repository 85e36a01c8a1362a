#pragma once

#include "textfile/journalsummary.h"

#include <QString>

#include <optional>

class DocumentHost;
class DocumentJournals;
class frmDocument;

/// A journal taken from a program that ended without a choice, and the
/// ways its document comes back.
class RecoveredJournal
{
public:
    RecoveredJournal(QString path, JournalSummary summary)
        : path_(std::move(path)), summary_(std::move(summary))
    {
    }

    const QString &path() const { return path_; }
    const JournalSummary &summary() const { return summary_; }

    /// Puts the journal's edits into the document's text, which must be
    /// the text they were made on, as one step of undo, gives it the
    /// format the journal last had, and carries the journal on from there.
    /// False when the edits do not fit the text, which is then as it was.
    bool replayInto(frmDocument &document) const;

    /// What comes back when the text the edits were made on is gone (its
    /// file changed or cannot be read): a new document with the text as it
    /// was last synced, when the journal keeps the text from before its
    /// first edit, or else with what every edit inserted. The journal goes
    /// once the new document's own has taken its place.
    struct Elsewhere
    {
        QString title; ///< the new document's; empty when nothing came back
        bool whole = false;
    };
    Elsewhere intoNewDocument(DocumentHost &host, DocumentJournals &journals) const;

    /// The journal goes, as its document did.
    void discard(DocumentJournals &journals) const;

private:
    QString path_;
    JournalSummary summary_;
};
