#include "document/documentjournal.h"
#include "document/documentjournals.h"
#include "document/filecommands.h"
#include "document/frmdocument.h"
#include "document/journalrecovery.h"
#include "tests/support/documentloading.h"
#include "tests/support/fakedocumenthost.h"
#include "tests/support/fakefiledialog.h"
#include "tests/support/fakemessagebox.h"
#include "text/replaceall.h"
#include "text/textmodel.h"
#include "textfile/contentchecksum.h"
#include "textfile/filedigest.h"
#include "textfile/journalfolder.h"
#include "textfile/journalreader.h"
#include "textfile/journalreplay.h"
#include "textfile/journalwriter.h"
#include "textfile/loadedfile.h"
#include "textview/textview.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <thread>

namespace {

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

QStringList journalsIn(const QString &folder)
{
    return QDir(folder).entryList({QStringLiteral("*.journal")}, QDir::Files, QDir::Name);
}

TextView &viewOf(frmDocument &document)
{
    return *static_cast<TextView *>(document.txtText);
}

// The text the journal at path gives back onto the text it began from.
QString replayed(const QString &path, const QString &start,
                 JournalReplay::Mode mode = JournalReplay::Mode::Edits)
{
    TextModel text;
    text.setText(start);
    if (!JournalReplay::ofFile(path, text, mode))
        return QStringLiteral("<does not fit>");
    return text.text();
}

// Edits as a person makes them, drawn at random: typing, deleting either
// way, a selection replaced, undo and redo, Sostituisci tutto and a paste of
// a megabyte, with characters beyond Latin-1 and lone surrogates among them.
void editAtRandom(TextView &view, QRandomGenerator &random, int count)
{
    const QString pieces[] = {QStringLiteral("a"),    QStringLiteral("è"),
                              QStringLiteral("\r\n"), QStringLiteral("😀"),
                              QString(QChar(0xDC80)), QStringLiteral("parola ")};
    TextModel &text = view.model();
    for (int i = 0; i < count; ++i) {
        const qint64 length = text.length();
        view.moveCaret(random.bounded(length + 1));
        switch (random.bounded(8)) {
        case 0:
        case 1:
            view.insertText(pieces[random.bounded(6)], TextHistory::Kind::Typing);
            break;
        case 2:
            view.deletePrevious();
            break;
        case 3:
            view.select(random.bounded(length + 1), random.bounded(length + 1));
            view.insertText(QStringLiteral("sostituito"));
            break;
        case 4:
            view.undo();
            break;
        case 5:
            view.redo();
            break;
        case 6:
            replaceAll(text, {QStringLiteral("a"), true, false}, u"AA", 0, text.length());
            break;
        case 7:
            if (random.bounded(10) == 0)
                view.setSelText(QString(1 << 20, QChar(u'x')));
            else
                view.deleteNext();
            break;
        }
    }
}

// The host of the program's documents, each with its journal.
class JournalledHost : public FakeDocumentHost
{
public:
    explicit JournalledHost(DocumentJournals &journals) : journals_(journals) {}
    frmDocument *CreateDocumentWindow() override
    {
        frmDocument *document = FakeDocumentHost::CreateDocumentWindow();
        journals_.watch(*document);
        return document;
    }

private:
    DocumentJournals &journals_;
};

} // namespace

class tst_Journal : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void records_data();
    void records();
    void journalCutOrDamaged_data();
    void journalCutOrDamaged();
    void checksumOfWrittenBytes_data();
    void checksumOfWrittenBytes();
    void editsComeBack_data();
    void editsComeBack();
    void saveStartsAfresh();
    void replacementInPiecesIsSetAside();
    void runningProgramKeepsItsJournals();
    void adoptedOnceWhenTwoStart();
    void unwritableFolder_data();
    void unwritableFolder();
    void recovery_data();
    void recovery();

private:
    std::unique_ptr<QTemporaryDir> dir_;
    QString path(const QString &name) const { return dir_->filePath(name); }
};

void tst_Journal::init()
{
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(dir_->isValid());
}

void tst_Journal::records_data()
{
    QTest::addColumn<JournalRecord>("record");
    using Kind = JournalRecord::Kind;
    JournalRecord origin;
    origin.kind = Kind::Origin;
    origin.origin.path = QStringLiteral("/tmp/perché.txt");
    origin.origin.format = {TextFileFormat::Encoding::codePage("windows-1252"), LineBreak::Lf};
    origin.origin.keepsBase = true;
    origin.origin.identity = JournalIdentity{{1, 2, 3, 4, 5}, 6, 0xFEDCBA9876543210ULL};
    QTest::newRow("origin of a file") << origin;
    origin.origin = JournalOrigin();
    origin.origin.format.encoding =
        TextFileFormat::Encoding::unicode(TextFileFormat::Encoding::Form::Utf16BE, true);
    QTest::newRow("origin of a new document") << origin;
    JournalRecord insert;
    insert.position = 12345678901LL;
    insert.setText(QStringLiteral("caffè"));
    QTest::newRow("insert, one byte a character") << insert;
    insert.setText(QStringLiteral("😀") + QChar(0xDC80) + QChar(0xD800));
    QTest::newRow("insert, lone surrogates") << insert;
    JournalRecord remove;
    remove.kind = Kind::Remove;
    remove.position = 7;
    remove.count = 1LL << 40;
    QTest::newRow("remove") << remove;
    JournalRecord format;
    format.kind = Kind::Format;
    format.format = {TextFileFormat::Encoding::utf8(true), LineBreak::CrLf};
    QTest::newRow("format") << format;
}

// What is written reads back the same, and the reader tells where it ends.
void tst_Journal::records()
{
    QFETCH(JournalRecord, record);
    QByteArray bytes;
    record.writeTo(bytes);
    JournalRecord read;
    qint64 length = 0;
    QCOMPARE(JournalRecord::read(bytes + "next", read, length), JournalRecord::Read::Whole);
    QCOMPARE(length, bytes.size());
    QByteArray again;
    read.writeTo(again);
    QCOMPARE(again, bytes);
    if (record.kind == JournalRecord::Kind::Insert)
        QCOMPARE(read.textString(), record.textString());
}

void tst_Journal::journalCutOrDamaged_data()
{
    QTest::addColumn<bool>("cut");
    QTest::newRow("cut at every byte of the last record") << true;
    QTest::newRow("every byte of the last record damaged") << false;
}

// A power cut in the middle of the last record, or damage in it, keeps
// every record before it.
void tst_Journal::journalCutOrDamaged()
{
    QFETCH(bool, cut);
    QByteArray journal = JournalRecord::magic().toByteArray();
    JournalRecord record;
    record.kind = JournalRecord::Kind::Origin;
    record.writeTo(journal);
    record.kind = JournalRecord::Kind::Insert;
    record.setText(QStringLiteral("primo"));
    record.writeTo(journal);
    const qint64 whole = journal.size();
    record.position = 5;
    record.setText(QStringLiteral(" secondo"));
    record.writeTo(journal);
    for (qint64 at = whole; at < journal.size(); ++at) {
        QByteArray bytes = journal;
        if (cut)
            bytes.truncate(at);
        else
            bytes[at] = char(bytes[at] ^ 0x20);
        QBuffer device(&bytes);
        device.open(QIODevice::ReadOnly);
        JournalReader reader(device);
        QVERIFY(reader.open());
        QCOMPARE(reader.next()->textString(), QStringLiteral("primo"));
        QVERIFY2(!reader.next(), qPrintable(QString::number(at)));
        QCOMPARE(reader.wholeLength(), whole);
        QCOMPARE(reader.stoppedShort(), at > whole || !cut);
    }
}

void tst_Journal::checksumOfWrittenBytes_data()
{
    QTest::addColumn<qint64>("size");
    QTest::newRow("empty") << qint64(0);
    QTest::newRow("part of a word") << qint64(5);
    QTest::newRow("a block") << FileDigest::BlockSize;
    QTest::newRow("blocks and part of a word") << 3 * FileDigest::BlockSize + 3;
}

// A file written by a Save is known again by the checksum its next load
// takes, whatever pieces the save wrote it in.
void tst_Journal::checksumOfWrittenBytes()
{
    QFETCH(qint64, size);
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator random(7);
    for (char &byte : bytes)
        byte = char(random.bounded(256));
    FileDigest digest(size);
    digest.add(0, bytes.constData(), size);
    ContentChecksum written;
    for (qint64 at = 0; at < size;) {
        const qint64 piece = std::min<qint64>(random.bounded(300000) + 1, size - at);
        written.take(QByteArrayView(bytes).sliced(at, piece));
        at += piece;
    }
    QCOMPARE(written.size(), size);
    QCOMPARE(written.value(), JournalIdentity::checksumOf(digest));
    if (size > 0) {
        bytes[size / 2] = char(bytes[size / 2] ^ 1);
        ContentChecksum changed;
        changed.take(bytes);
        QVERIFY(changed.value() != written.value());
    }
}

void tst_Journal::editsComeBack_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("seed");
    QTest::newRow("new document") << QByteArray() << 1;
    QTest::newRow("new document, other edits") << QByteArray() << 2;
    QTest::newRow("file in Windows-1252") << QByteArray("caff\xe8\r\nriga due\r\n") << 3;
    QTest::newRow("file of LF lines") << QByteArray("uno\ndue\ntre\n") << 4;
}

// Random edits through the text box, undo, redo, replace-all and a large
// paste among them: the journal gives back the document's text exactly,
// onto the text it began from, and kept whole from before its first edit.
void tst_Journal::editsComeBack()
{
    QFETCH(QByteArray, file);
    QFETCH(int, seed);
    DocumentJournals journals(path(QStringLiteral("state")));
    frmDocument document;
    journals.watch(document);
    if (!file.isNull()) {
        writeFile(path(QStringLiteral("file.txt")), file);
        QCOMPARE(loadAndWait(document, path(QStringLiteral("file.txt"))), std::nullopt);
    }
    const QString start = document.text().text();
    QRandomGenerator random(seed);
    editAtRandom(viewOf(document), random, 300);
    journals.flush();
    const QStringList names = journalsIn(path(QStringLiteral("state")));
    QCOMPARE(names.size(), 1);
    const QString journal = path(QStringLiteral("state/") + names.front());
    QCOMPARE(replayed(journal, start), document.text().text());
    if (!file.isNull())
        QCOMPARE(replayed(journal, QString(), JournalReplay::Mode::BaseAndEdits),
                 document.text().text());
    const QFileDevice::Permissions others(0x0077);
    QCOMPARE(QFileInfo(journal).permissions() & others, QFileDevice::Permissions());
}

// A Save ends the journal; the next edit starts one on the file as written.
void tst_Journal::saveStartsAfresh()
{
    DocumentJournals journals(path(QStringLiteral("state")));
    JournalledHost host(journals);
    FakeFileDialog dialog;
    FakeMessageBox messages;
    FileCommands commands(host, dialog, messages);
    frmDocument *document = host.CreateDocumentWindow();
    document->setCaption(path(QStringLiteral("saved.txt")));
    viewOf(*document).insertText(QStringLiteral("prima riga"));
    journals.flush();
    QCOMPARE(journalsIn(path(QStringLiteral("state"))).size(), 1);
    commands.Save();
    journals.flush();
    QCOMPARE(journalsIn(path(QStringLiteral("state"))), QStringList());
    viewOf(*document).insertText(QStringLiteral(", seconda"));
    journals.flush();
    const QStringList names = journalsIn(path(QStringLiteral("state")));
    QCOMPARE(names.size(), 1);
    QFile journal(path(QStringLiteral("state/") + names.front()));
    QVERIFY(journal.open(QIODevice::ReadOnly));
    JournalReader reader(journal);
    QVERIFY(reader.open());
    QCOMPARE(reader.origin().path, path(QStringLiteral("saved.txt")));
    ContentChecksum saved;
    saved.take(readAll(path(QStringLiteral("saved.txt"))));
    QCOMPARE(reader.origin().identity->checksum, saved.value());
    QCOMPARE(replayed(journal.fileName(), QStringLiteral("prima riga")),
             QStringLiteral("prima riga, seconda"));
    host.discardAll(); // closing discards
    journals.flush();
    QCOMPARE(journalsIn(path(QStringLiteral("state"))), QStringList());
}

// A key in a document held in pieces of its file is journalled alone, and
// Sostituisci tutto there gives back its whole text as the edit's: the
// journal, which would copy it into memory, is set aside with one note
// until the next Save.
void tst_Journal::replacementInPiecesIsSetAside()
{
    QByteArray file;
    while (file.size() <= DocumentJournal::BaseLimit + (1 << 20))
        file += "una riga di testo qualunque\r\n";
    writeFile(path(QStringLiteral("grande.txt")), file);
    DocumentJournals journals(path(QStringLiteral("state")));
    QSignalSpy noted(&journals, &DocumentJournals::troubleNoted);
    frmDocument document;
    journals.watch(document);
    LoadSettings settings;
    settings.piecesFrom = 0;
    QCOMPARE(loadAndWait(document, path(QStringLiteral("grande.txt")), settings), std::nullopt);
    QVERIFY(document.pieceStore());
    viewOf(document).insertText(QStringLiteral("inizio "));
    journals.flush();
    // The first key copies nothing of the text that is still in the file.
    const QStringList started = journalsIn(path(QStringLiteral("state")));
    QCOMPARE(started.size(), 1);
    QVERIFY(QFileInfo(path(QStringLiteral("state/")) + started.front()).size() < (1 << 20));
    replaceAll(document.text(), {QStringLiteral("qualunque"), true, false}, u"qualsiasi", 0,
               document.text().length());
    viewOf(document).insertText(QStringLiteral("e poi "));
    journals.flush();
    QCOMPARE(noted.size(), 1);
    QVERIFY(noted.front().front().toString().contains(QStringLiteral("\"grande.txt\"")));
    QCOMPARE(journalsIn(path(QStringLiteral("state"))), QStringList());
}

// The journals of a program still running are never taken by another; once
// it has ended, however, the next one takes them.
void tst_Journal::runningProgramKeepsItsJournals()
{
    const QString state = path(QStringLiteral("state"));
    auto running = std::make_unique<JournalFolder>(state);
    {
        JournalWriter writer(std::shared_ptr<JournalFolder>(running.get(), [](JournalFolder *) {}));
        writer.start(JournalOrigin());
        writer.flush();
    }
    JournalFolder other(state);
    QCOMPARE(other.adoptOrphans(), QStringList());
    QCOMPARE(journalsIn(state).size(), 1);
    running.reset(); // ended without a choice: the system lets its lock go
    const QStringList adopted = other.adoptOrphans();
    QCOMPARE(adopted.size(), 1);
    QCOMPARE(QDir(state).entryList(QDir::Files).size(), 2); // its own lock and the journal
    QCOMPARE(JournalFolder(state).adoptOrphans(), QStringList());
}

void tst_Journal::adoptedOnceWhenTwoStart()
{
    const QString state = path(QStringLiteral("state"));
    QDir().mkpath(state);
    for (int i = 1; i <= 200; ++i)
        writeFile(QStringLiteral("%1/0123456789abcdef.%2.journal").arg(state).arg(i), "x");
    JournalFolder first(state);
    JournalFolder second(state);
    QStringList byFirst;
    std::thread other([&] { byFirst = first.adoptOrphans(); });
    const QStringList bySecond = second.adoptOrphans();
    other.join();
    QCOMPARE(byFirst.size() + bySecond.size(), 200);
    QCOMPARE(journalsIn(state).size(), 200);
}

void tst_Journal::unwritableFolder_data()
{
    QTest::addColumn<QString>("obstacle");
    QTest::newRow("a file where the folder should be") << "file";
    QTest::newRow("a full disk") << "full";
}

// A journal that cannot be written gives one note, keeps what it had, and
// the document goes on taking edits.
void tst_Journal::unwritableFolder()
{
    QFETCH(QString, obstacle);
    const QString state = path(QStringLiteral("state"));
    if (obstacle == "file") {
        writeFile(state, "not a folder");
    } else {
        QDir().mkpath(state);
        if (QProcess::execute(QStringLiteral("mount"),
                              {QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
                               QStringLiteral("size=64k"), QStringLiteral("tmpfs"), state}) != 0)
            QSKIP("A small file system cannot be mounted here.");
    }
    const auto unmount = qScopeGuard([&] {
        if (obstacle == "full")
            QProcess::execute(QStringLiteral("umount"), {QStringLiteral("-l"), state});
    });
    {
        DocumentJournals journals(state);
        QSignalSpy noted(&journals, &DocumentJournals::troubleNoted);
        frmDocument first;
        frmDocument second;
        journals.watch(first);
        journals.watch(second);
        viewOf(first).insertText(QStringLiteral("inizio"));
        viewOf(first).insertText(QString(200000, QChar(u'x')));
        viewOf(second).insertText(QString(100000, QChar(u'y')));
        journals.flush();
        QTRY_COMPARE(noted.size(), 1);
        viewOf(first).insertText(QStringLiteral("fine"));
        QVERIFY(first.text().text().endsWith(QStringLiteral("fine")));
        if (obstacle == "full") {
            const QStringList names = journalsIn(state);
            QVERIFY(!names.isEmpty());
            QFile journal(state + u'/' + names.front());
            QVERIFY(journal.open(QIODevice::ReadOnly));
            JournalReader reader(journal);
            QVERIFY(reader.open());
            while (reader.next()) {
            }
            QVERIFY(!reader.stoppedShort());
        }
        QCOMPARE(noted.size(), 1);
    }
}

void tst_Journal::recovery_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QByteArray>("fileLater");
    QTest::addColumn<QStringList>("titles");
    QTest::addColumn<QStringList>("texts");
    const QByteArray small = "uno\r\ndue\r\n";
    QTest::newRow("new document") << QByteArray() << QByteArray() << QStringList{"Documento1"}
                                  << QStringList{"testo nuovo"};
    QTest::newRow("file as it was")
        << small << small << QStringList{"file.txt"} << QStringList{"testo nuovouno\r\ndue\r\n"};
    QTest::newRow("file changed since")
        << small << QByteArray("cambiato") << QStringList{"file.txt", "Documento2"}
        << QStringList{"cambiato\r\n", "testo nuovouno\r\ndue\r\n"};
    QTest::newRow("file gone") << small << QByteArray() << QStringList{"Documento2"}
                               << QStringList{"testo nuovouno\r\ndue\r\n"};
    const QByteArray large((DocumentJournal::BaseLimit + 1) / 4 * 4 + 4, 'z');
    QTest::newRow("large file changed since")
        << large << QByteArray("cambiato") << QStringList{"file.txt", "Documento2"}
        << QStringList{"cambiato\r\n", "testo nuovo"};
}

// A program that ended without a choice left a journal: the next start
// brings the document back as it was, never onto a file that changed.
void tst_Journal::recovery()
{
    QFETCH(QByteArray, file);
    QFETCH(QByteArray, fileLater);
    QFETCH(QStringList, titles);
    QFETCH(QStringList, texts);
    const QString filePath = path(QStringLiteral("file.txt"));
    const QString left = path(QStringLiteral("left"));
    QDir().mkpath(left);
    {
        DocumentJournals journals(path(QStringLiteral("ended")));
        frmDocument document;
        journals.watch(document);
        if (!file.isNull()) {
            writeFile(filePath, file);
            QCOMPARE(loadAndWait(document, filePath), std::nullopt);
        }
        viewOf(document).insertText(QStringLiteral("testo nuovo"));
        journals.flush();
        // What a kill leaves: the journal, with no program holding it.
        for (const QString &name : journalsIn(path(QStringLiteral("ended"))))
            QVERIFY(QFile::copy(path(QStringLiteral("ended/") + name), left + u'/' + name));
    }
    if (fileLater.isNull())
        QFile::remove(filePath);
    else if (!file.isNull())
        writeFile(filePath, fileLater);
    DocumentJournals journals(left);
    JournalledHost host(journals);
    FakeFileDialog dialog;
    FakeMessageBox messages;
    FileCommands commands(host, dialog, messages);
    QCOMPARE(JournalRecovery(host, commands, journals, messages).recover(), 1);
    for (frmDocument *document : host.documents())
        QVERIFY(waitForLoad(*document));
    QStringList shownTitles;
    QStringList shownTexts;
    for (frmDocument *document : host.documents()) {
        if (!document->isVisible())
            continue; // a window whose file could not be read
        shownTitles << QFileInfo(document->Caption()).fileName();
        shownTexts << document->text().text();
    }
    QCOMPARE(shownTitles, titles);
    QCOMPARE(shownTexts, texts);
    QVERIFY(host.notes.contains(QStringLiteral("Recuperato 1 documento non salvato")));
    journals.flush();
    QCOMPARE(journalsIn(left).size(), 1); // kept until a Save or a chosen close
}

QTEST_MAIN(tst_Journal)
#include "tst_journal.moc"
