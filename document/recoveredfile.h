#pragma once

#include "recoveredjournal.h"

#include <QObject>

class DocumentHost;
class DocumentJournals;
class frmDocument;

/// A recovered document whose file loads: once its text is in, the
/// journal's edits go onto it if the file is still the one they were made
/// on (its bytes' checksum says so); otherwise the file stays as it is now
/// and what can be given back goes into a new document, with a note. The
/// document takes no edit before then. A child of the document: closing
/// the document first discards the journal, as closing discards its text.
class RecoveredFile : public QObject
{
    Q_OBJECT

public:
    RecoveredFile(frmDocument &document, RecoveredJournal journal, DocumentHost &host,
                  DocumentJournals &journals);
    ~RecoveredFile() override;

    /// The note for a file whose text came back elsewhere.
    static QString elsewhereNote(const QString &path, const RecoveredJournal::Elsewhere &where,
                                 bool unreadable);

private:
    void loaded();
    void failed();
    bool isSameFile() const;
    void end();

    frmDocument &document_;
    const RecoveredJournal journal_;
    DocumentHost &host_;
    DocumentJournals &journals_;
    bool done_ = false;
};
