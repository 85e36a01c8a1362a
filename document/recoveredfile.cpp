#include "recoveredfile.h"

#include "documenthost.h"
#include "frmdocument.h"

#include "textfile/filedigest.h"
#include "textfile/loadedfile.h"
#include "textview/textview.h"

#include <QDir>

namespace {

TextView *viewOf(frmDocument &document)
{
    return qobject_cast<TextView *>(document.txtText);
}

} // namespace

RecoveredFile::RecoveredFile(frmDocument &document, RecoveredJournal journal, DocumentHost &host,
                             DocumentJournals &journals)
    : QObject(&document), document_(document), journal_(std::move(journal)), host_(host),
      journals_(journals)
{
    if (TextView *view = viewOf(document))
        view->holdEdits(true);
    connect(&document, &frmDocument::loaded, this, &RecoveredFile::loaded);
    connect(&document, &frmDocument::loadFailed, this, &RecoveredFile::failed);
}

RecoveredFile::~RecoveredFile()
{
    if (!done_)
        journal_.discard(journals_);
}

QString RecoveredFile::elsewhereNote(const QString &path, const RecoveredJournal::Elsewhere &where,
                                     bool unreadable)
{
    const QString file = QStringLiteral("Il file \"%1\" %2")
                             .arg(QDir::toNativeSeparators(path),
                                  unreadable ? QStringLiteral("non si può più leggere")
                                             : QStringLiteral("è cambiato dopo le modifiche"));
    if (where.title.isEmpty())
        return file + QStringLiteral(": le modifiche non salvate non contenevano testo inserito.");
    if (where.whole)
        return file +
               QStringLiteral(": il testo non salvato è stato recuperato in %1.").arg(where.title);
    return file + QStringLiteral(": il testo inserito è stato recuperato in %1; il file è "
                                 "com'è ora.")
                      .arg(where.title);
}

bool RecoveredFile::isSameFile() const
{
    const LoadedFile *file = document_.loadedFile();
    const std::optional<JournalIdentity> &expected = journal_.summary().identity;
    if (!file || !file->digest || !expected)
        return false;
    const JournalIdentity found{file->stamp, file->size,
                                JournalIdentity::checksumOf(*file->digest)};
    return found.sameBytesAs(*expected);
}

void RecoveredFile::loaded()
{
    done_ = true;
    if (!isSameFile() || !journal_.replayInto(document_)) {
        const RecoveredJournal::Elsewhere where = journal_.intoNewDocument(host_, journals_);
        host_.showLastingNote(elsewhereNote(journal_.summary().origin.path, where, false));
    }
    end();
}

void RecoveredFile::failed()
{
    done_ = true;
    const RecoveredJournal::Elsewhere where = journal_.intoNewDocument(host_, journals_);
    host_.showLastingNote(elsewhereNote(journal_.summary().origin.path, where, true));
    end();
}

void RecoveredFile::end()
{
    if (TextView *view = viewOf(document_))
        view->holdEdits(false);
    deleteLater();
}
