#include "tests/support/fakedocumenthost.h"

#include "document/printcommand.h"
#include "platform/textbox.h"
#include "tests/support/fakemessagebox.h"
#include "tests/support/fakeprinterprovider.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>

#include <algorithm>
#include <cmath>

namespace {

struct Word
{
    QString text;
    QRectF box;
};

struct Page
{
    QSizeF size;
    QList<Word> words;
};

// The pages of a PDF with every word and where it stands, read by pdftotext.
// An empty list and a message in error when the file cannot be read.
QList<Page> readPdf(const QString &path, QString &error)
{
    QProcess pdftotext;
    pdftotext.start(QStringLiteral("pdftotext"),
                    {QStringLiteral("-bbox"), path, QStringLiteral("-")});
    if (!pdftotext.waitForFinished(60000) || pdftotext.exitStatus() != QProcess::NormalExit ||
        pdftotext.exitCode() != 0) {
        error = QStringLiteral("pdftotext failed on %1: %2 %3")
                    .arg(path, pdftotext.errorString(),
                         QString::fromLocal8Bit(pdftotext.readAllStandardError()));
        return {};
    }
    QList<Page> pages;
    QXmlStreamReader xml(pdftotext.readAllStandardOutput());
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        const auto number = [&](const char *name) {
            return xml.attributes().value(QLatin1String(name)).toDouble();
        };
        if (xml.name() == u"page") {
            pages.append({QSizeF(number("width"), number("height")), {}});
        } else if (xml.name() == u"word" && !pages.isEmpty()) {
            const QRectF box(QPointF(number("xMin"), number("yMin")),
                             QPointF(number("xMax"), number("yMax")));
            pages.back().words.append({xml.readElementText(), box});
        }
    }
    if (xml.hasError())
        error = xml.errorString();
    return pages;
}

// The rows of printed text, page after page, top to bottom, with the words of
// each row joined by one blank.
QStringList rowsOf(const QList<Page> &pages)
{
    QStringList rows;
    for (const Page &page : pages) {
        QList<Word> words = page.words;
        std::stable_sort(words.begin(), words.end(), [](const Word &a, const Word &b) {
            if (std::abs(a.box.top() - b.box.top()) > 1)
                return a.box.top() < b.box.top();
            return a.box.left() < b.box.left();
        });
        qreal top = -1000;
        for (const Word &word : words) {
            if (std::abs(word.box.top() - top) > 1) {
                rows << word.text;
                top = word.box.top();
            } else {
                rows.back() += u' ' + word.text;
            }
        }
    }
    return rows;
}

QString numberedLines(int count, int first = 1)
{
    QStringList lines;
    for (int i = first; i < first + count; ++i)
        lines << QStringLiteral("Riga %1 del documento di prova").arg(i, 3, 10, QLatin1Char('0'));
    return lines.join(QStringLiteral("\r\n"));
}

} // namespace

// Printing puts every line of the whole text on paper, as one job per print,
// and reports a missing printer or a failed job.
class TestPrint : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void wholeTextInOrderOnSeveralPages_data();
    void wholeTextInOrderOnSeveralPages();
    void lineBreaksOnPaper_data();
    void lineBreaksOnPaper();
    void longLinesWrapAtTheMargin_data();
    void longLinesWrapAtTheMargin();
    void finalLineEndAddsNoPage();
    void twoPrintsMakeTwoIdenticalJobs();
    void emptyDocumentPrintsOneBlankPage();
    void missingPrinterOrFailedJob_data();
    void missingPrinterOrFailedJob();
    void withoutDocumentNothingHappens();

private:
    // Prints the text in the document; the pages of each job that came out.
    QList<QList<Page>> print(const QString &text, int times = 1);

    TextBox &box() { return host_.activeDocument()->ActiveControl(); }

    FakeDocumentHost host_;
    std::unique_ptr<QTemporaryDir> folder_;
    std::unique_ptr<FakePrinterProvider> printers_;
    FakeMessageBox messages_;
};

void TestPrint::init()
{
    host_.discardAll();
    host_.CreateDocumentWindow();
    host_.activeDocument()->setCaption(QStringLiteral("Documento7"));
    folder_ = std::make_unique<QTemporaryDir>();
    QVERIFY(folder_->isValid());
    printers_ = std::make_unique<FakePrinterProvider>(folder_->path());
    messages_.messages.clear();
}

QList<QList<Page>> TestPrint::print(const QString &text, int times)
{
    box().setText(text);
    PrintCommand command(host_, *printers_, messages_);
    for (int i = 0; i < times; ++i)
        command.Print();
    QList<QList<Page>> jobs;
    for (const QString &job : std::as_const(printers_->jobs)) {
        QString error;
        jobs << readPdf(job, error);
        if (!error.isEmpty())
            qWarning().noquote() << error;
    }
    return jobs;
}

void TestPrint::wholeTextInOrderOnSeveralPages_data()
{
    QTest::addColumn<qsizetype>("start");
    QTest::addColumn<qsizetype>("length");

    QTest::newRow("nothing selected") << qsizetype(0) << qsizetype(0);
    QTest::newRow("caret in the middle") << qsizetype(500) << qsizetype(0);
    QTest::newRow("some lines selected") << qsizetype(320) << qsizetype(200);
}

void TestPrint::wholeTextInOrderOnSeveralPages()
{
    QFETCH(qsizetype, start);
    QFETCH(qsizetype, length);
    const QString text = numberedLines(180);

    box().setText(text);
    box().setSelStart(start);
    box().setSelLength(length);
    PrintCommand(host_, *printers_, messages_).Print();
    QCOMPARE(printers_->jobs.size(), 1);
    QString error;
    const QList<Page> pages = readPdf(printers_->jobs.first(), error);
    QVERIFY2(error.isEmpty(), qPrintable(error));

    QVERIFY2(pages.size() >= 3, qPrintable(QString::number(pages.size())));
    // Every line once, in order, and nothing else: no header, footer or
    // page number.
    QCOMPARE(rowsOf(pages), text.split(QStringLiteral("\r\n")));
    for (const Page &page : pages)
        for (const Word &word : page.words)
            QVERIFY(QRectF(QPointF(0, 0), page.size).contains(word.box));

    QVERIFY(messages_.messages.isEmpty());
    QCOMPARE(box().Text(), text);
    QCOMPARE(box().SelStart(), start);
    QCOMPARE(box().SelLength(), length);
    QCOMPARE(host_.activeDocument()->Caption(), QStringLiteral("Documento7"));
}

void TestPrint::lineBreaksOnPaper_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("rows");
    // How many rows down from the first printed row each row stands.
    QTest::addColumn<QList<int>>("offsets");

    QTest::newRow("CR LF") << QStringLiteral("uno\r\ndue") << QStringList{"uno", "due"}
                           << QList<int>{0, 1};
    QTest::newRow("lone CR") << QStringLiteral("uno\rdue") << QStringList{"uno", "due"}
                             << QList<int>{0, 1};
    QTest::newRow("lone LF") << QStringLiteral("uno\ndue") << QStringList{"uno", "due"}
                             << QList<int>{0, 1};
    QTest::newRow("blank lines of every kind")
        << QStringLiteral("uno\r\n\r\ndue\n\ntre\r\rquattro\r\n\ncinque")
        << QStringList{"uno", "due", "tre", "quattro", "cinque"} << QList<int>{0, 2, 4, 6, 8};
    QTest::newRow("leading blank lines")
        << QStringLiteral("\r\n\r\nuno") << QStringList{"uno"} << QList<int>{2};
    QTest::newRow("line separator")
        << QStringLiteral("uno\u2028due") << QStringList{"uno", "due"} << QList<int>{0, 1};
    QTest::newRow("tab between words")
        << QStringLiteral("uno\tdue\r\ntre") << QStringList{"uno due", "tre"} << QList<int>{0, 1};
    QTest::newRow("accents and symbols")
        << QStringLiteral("perché è così\r\n5 € più") << QStringList{"perché è così", "5 € più"}
        << QList<int>{0, 1};
}

void TestPrint::lineBreaksOnPaper()
{
    QFETCH(QString, text);
    QFETCH(QStringList, rows);
    QFETCH(QList<int>, offsets);

    // Two known rows first give the height of one row on paper.
    const QList<QList<Page>> jobs = print(QStringLiteral("alfa\r\nbeta\r\n") + text);
    QCOMPARE(jobs.size(), 1);
    QCOMPARE(jobs.first().size(), 1);
    QCOMPARE(rowsOf(jobs.first()), QStringList({"alfa", "beta"}) + rows);

    QList<qreal> tops;
    for (const Word &word : std::as_const(jobs.first().first().words))
        tops << word.box.top();
    std::sort(tops.begin(), tops.end());
    tops.erase(std::unique(tops.begin(), tops.end(),
                           [](qreal a, qreal b) { return std::abs(a - b) <= 1; }),
               tops.end());
    const qreal rowHeight = tops.at(1) - tops.at(0);
    QVERIFY(rowHeight > 0);
    QList<int> found;
    for (const qreal top : tops.mid(2))
        found << int(std::lround((top - tops.at(0)) / rowHeight)) - 2;
    QCOMPARE(found, offsets);
}

void TestPrint::longLinesWrapAtTheMargin_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("separator");

    QStringList words;
    for (int i = 1; i <= 150; ++i)
        words << QStringLiteral("parola%1").arg(i, 3, 10, QLatin1Char('0'));
    QTest::newRow("words") << words.join(u' ') << QStringLiteral(" ");
    QString letters;
    for (int i = 0; i < 600; ++i)
        letters += QChar(u'a' + i % 26);
    QTest::newRow("one long word") << letters << QString();
    // Lines longer than a segment laid out at once.
    QStringList manyWords;
    for (int i = 1; i <= 1200; ++i)
        manyWords << QStringLiteral("parola%1").arg(i, 4, 10, QLatin1Char('0'));
    QTest::newRow("words over segments") << manyWords.join(u' ') << QStringLiteral(" ");
    QTest::newRow("one word over segments") << letters.repeated(17) << QString();
}

void TestPrint::longLinesWrapAtTheMargin()
{
    QFETCH(QString, line);
    QFETCH(QString, separator);

    const QList<QList<Page>> jobs = print(line + QStringLiteral("\r\nfine"));
    QCOMPARE(jobs.size(), 1);
    const QStringList rows = rowsOf(jobs.first());
    QVERIFY2(rows.size() > 2, qPrintable(rows.join(u'|')));
    QCOMPARE(rows.last(), QStringLiteral("fine"));
    QCOMPARE(rows.mid(0, rows.size() - 1).join(separator), line);
    if (separator.isEmpty()) {
        // Every row full up to the line's last: no short row where a
        // segment ends.
        for (const QString &row : rows.mid(1, rows.size() - 3))
            QCOMPARE(row.size(), rows.first().size());
    }
    for (const Page &page : jobs.first())
        for (const Word &word : page.words)
            QVERIFY2(QRectF(QPointF(0, 0), page.size).contains(word.box), qPrintable(word.text));
}

// Like Save, printing adds no line end, and a line end at the end of the
// text does not start an empty last page.
void TestPrint::finalLineEndAddsNoPage()
{
    const QList<QList<Page>> probe = print(numberedLines(150));
    QCOMPARE(probe.size(), 1);
    QVERIFY(probe.first().size() >= 2);
    const int perPage = int(rowsOf({probe.first().first()}).size());
    QVERIFY(perPage > 10);

    const QString fullPage = numberedLines(perPage);
    printers_->jobs.clear();
    QList<QList<Page>> jobs = print(fullPage + QStringLiteral("\r\n"));
    QCOMPARE(jobs.size(), 1);
    QCOMPARE(jobs.first().size(), 1);

    printers_->jobs.clear();
    jobs = print(fullPage + QStringLiteral("\r\n\r\n"));
    QCOMPARE(jobs.first().size(), 2);
}

void TestPrint::twoPrintsMakeTwoIdenticalJobs()
{
    const QString text = numberedLines(100);
    const QList<QList<Page>> jobs = print(text, 2);
    QCOMPARE(printers_->requests, 2);
    QCOMPARE(jobs.size(), 2);
    QCOMPARE(rowsOf(jobs.at(0)), text.split(QStringLiteral("\r\n")));
    QCOMPARE(rowsOf(jobs.at(1)), rowsOf(jobs.at(0)));
    QCOMPARE(jobs.at(1).size(), jobs.at(0).size());
    QCOMPARE(box().Text(), text);
    QVERIFY(messages_.messages.isEmpty());
}

void TestPrint::emptyDocumentPrintsOneBlankPage()
{
    const QList<QList<Page>> jobs = print(QString());
    QCOMPARE(jobs.size(), 1);
    QCOMPARE(jobs.first().size(), 1);
    QVERIFY(jobs.first().first().words.isEmpty());
    QVERIFY(messages_.messages.isEmpty());
}

void TestPrint::missingPrinterOrFailedJob_data()
{
    QTest::addColumn<bool>("printerExists");
    QTest::addColumn<QString>("message");

    QTest::newRow("no default printer")
        << false << QStringLiteral("Nessuna stampante predefinita disponibile.");
    QTest::newRow("job cannot start") << true << QStringLiteral("Stampa non riuscita.");
}

void TestPrint::missingPrinterOrFailedJob()
{
    QFETCH(bool, printerExists);
    QFETCH(QString, message);

    // A printer whose output folder does not exist fails as the job starts.
    const QString missingFolder = QDir(folder_->path()).filePath(QStringLiteral("manca"));
    printers_ = std::make_unique<FakePrinterProvider>(printerExists ? missingFolder : QString());
    const QString text = QStringLiteral("uno\r\ndue");
    box().setText(text);
    box().setSelStart(2);
    box().setSelLength(3);

    PrintCommand(host_, *printers_, messages_).Print();
    QCOMPARE(messages_.messages, QStringList{message});
    QCOMPARE(printers_->requests, 1);
    for (const QString &job : std::as_const(printers_->jobs))
        QVERIFY(!QFileInfo::exists(job));
    QCOMPARE(box().Text(), text);
    QCOMPARE(box().SelStart(), qsizetype(2));
    QCOMPARE(box().SelLength(), qsizetype(3));
    QCOMPARE(host_.activeDocument()->Caption(), QStringLiteral("Documento7"));
}

void TestPrint::withoutDocumentNothingHappens()
{
    host_.discardAll();
    PrintCommand(host_, *printers_, messages_).Print();
    QCOMPARE(printers_->requests, 0);
    QVERIFY(messages_.messages.isEmpty());
    QVERIFY(QDir(folder_->path()).isEmpty());
}

QTEST_MAIN(TestPrint)
#include "tst_print.moc"
