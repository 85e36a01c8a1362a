#include "textfile/contentchecksum.h"
#include "textfile/filedigest.h"
#include "textfile/journalfolder.h"
#include "textfile/journalreader.h"
#include "textfile/journalwriter.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <thread>

namespace {

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
    void runningProgramKeepsItsJournals();
    void adoptedOnceWhenTwoStart();

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

QTEST_MAIN(tst_Journal)
#include "tst_journal.moc"
