#include "journalrecovery.h"

#include "documenthost.h"
#include "documentjournals.h"
#include "filecommands.h"
#include "frmdocument.h"
#include "recoveredfile.h"
#include "recoveredjournal.h"

#include "platform/messagebox.h"
#include "textfile/journalfolder.h"

#include <QDir>
#include <QFile>

namespace {

QString recoveredNote(int count)
{
    return count == 1 ? QStringLiteral("Recuperato 1 documento non salvato")
                      : QStringLiteral("Recuperati %1 documenti non salvati").arg(count);
}

QString unreadableMessage(const QStringList &paths)
{
    QStringList shown;
    for (const QString &path : paths)
        shown << QStringLiteral("\"%1\"").arg(QDir::toNativeSeparators(path));
    if (paths.size() == 1)
        return QStringLiteral("Un diario di documenti non salvati non si può leggere ed è stato "
                              "messo da parte: %1.")
            .arg(shown.front());
    return QStringLiteral("%1 diari di documenti non salvati non si possono leggere e sono stati "
                          "messi da parte:\n%2.")
        .arg(paths.size())
        .arg(shown.join(u'\n'));
}

} // namespace

JournalRecovery::JournalRecovery(DocumentHost &host, FileCommands &files,
                                 DocumentJournals &journals, MessageBox &messages)
    : host_(host), files_(files), journals_(journals), messages_(messages)
{
}

int JournalRecovery::recover()
{
    int recovered = 0;
    QStringList unreadable;
    for (const QString &path : journals_.folder().adoptOrphans())
        if (!recoverOne(path, recovered))
            unreadable << journals_.folder().putAside(path);
    if (recovered > 0)
        host_.showNote(recoveredNote(recovered));
    if (!unreadable.isEmpty())
        messages_.show(unreadableMessage(unreadable));
    return recovered;
}

bool JournalRecovery::recoverOne(const QString &path, int &recovered)
{
    QFile file(path);
    std::optional<JournalSummary> summary;
    if (file.open(QIODevice::ReadOnly))
        summary = JournalSummary::of(file);
    if (!summary)
        return false;
    const RecoveredJournal journal(path, *summary);
    const JournalOrigin &origin = summary->origin;
    ++recovered;
    if (origin.isNewDocument()) {
        frmDocument *document = host_.CreateDocumentWindow();
        if (document && !journal.replayInto(*document)) {
            document->Unload();
            journal.intoNewDocument(host_, journals_);
        }
        return true;
    }
    QString reason;
    if (frmDocument *document = files_.openWindow(origin.path, origin.format.encoding, reason)) {
        new RecoveredFile(*document, journal, host_, journals_);
        return true;
    }
    const RecoveredJournal::Elsewhere where = journal.intoNewDocument(host_, journals_);
    host_.showLastingNote(RecoveredFile::elsewhereNote(origin.path, where, true));
    return true;
}
