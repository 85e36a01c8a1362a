#include "documentjournals.h"

#include "documentjournal.h"
#include "frmdocument.h"

#include "textfile/journalfolder.h"
#include "textfile/journalwriter.h"

#include <QFileInfo>
#include <QMetaObject>

#include <mutex>

struct DocumentJournals::Hearer
{
    std::mutex mutex;
    DocumentJournals *journals = nullptr;
};

// The writer's thread tells of trouble through the hearer, which this
// leaves when it goes, however long the writer outlives it.
DocumentJournals::DocumentJournals(const QString &folder, QObject *parent)
    : QObject(parent), folder_(std::make_shared<JournalFolder>(folder)),
      hearer_(std::make_shared<Hearer>())
{
    hearer_->journals = this;
    writer_ = std::make_shared<JournalWriter>(
        folder_, [hearer = hearer_](JournalWriter::Id id, const QString &reason) {
            const std::lock_guard guard(hearer->mutex);
            if (DocumentJournals *journals = hearer->journals)
                QMetaObject::invokeMethod(
                    journals, [journals, id, reason] { journals->trouble(id, reason); },
                    Qt::QueuedConnection);
        });
}

QString DocumentJournals::defaultFolder()
{
    return JournalFolder::defaultPath();
}

DocumentJournals::~DocumentJournals()
{
    {
        const std::lock_guard guard(hearer_->mutex);
        hearer_->journals = nullptr;
    }
    if (writer_.use_count() == 1) {
        writer_.reset();
        folder_->release();
    }
}

void DocumentJournals::watch(frmDocument &document)
{
    auto *journal = document.keepJournal(writer_);
    connect(this, &DocumentJournals::troubled, journal, &DocumentJournal::troubled);
    connect(journal, &DocumentJournal::setAside, this, [this, &document] {
        emit troubleNoted(QStringLiteral("Le modifiche di \"%1\" sono troppo grandi per essere "
                                         "conservate per un'eventuale chiusura imprevista: "
                                         "salvare il documento per non perderle.")
                              .arg(QFileInfo(document.filePath()).fileName()));
    });
}

void DocumentJournals::flush()
{
    writer_->flush();
}

void DocumentJournals::watch(int fd, std::function<void()> ready)
{
    writer_->watch(fd, std::move(ready));
}

void DocumentJournals::trouble(quint64 id, const QString &reason)
{
    const bool failing = !reason.isEmpty();
    const bool wasFailing = !failing_.empty();
    if (failing)
        failing_.insert(id);
    else
        failing_.erase(id);
    emit troubled(id, failing);
    if (failing && !wasFailing) {
        note_ = QStringLiteral("Impossibile conservare le modifiche non salvate per un'eventuale "
                               "chiusura imprevista (%1). Il programma continua.")
                    .arg(reason);
        emit troubleNoted(note_);
    } else if (!failing && wasFailing && failing_.empty()) {
        emit troubleOver(note_);
    }
}
