#include "textview/textview.h"
#include "text/textmodel.h"

#include <QRandomGenerator>
#include <QTest>
#include <QTextBlock>

// The text box must give back every character it was given, and count
// positions in the text's own characters (CR LF is two).
class TestTextBox : public QObject
{
    Q_OBJECT

private slots:
    void roundTrip_data();
    void roundTrip();
    void everyCharacterSurvives();
    void positionsCountCrLfAsTwo();
    void selectionAcrossLineBreak();
    void selTextReplacesSelection();
    void typedLineBreaksAreCrLf();
    void editsKeepBreakKinds();
    void randomEditsAgreeWithModel();
    void appendLeavesCaretAlone();
};

void TestTextBox::roundTrip_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("empty") << QString();
    QTest::newRow("crlf") << QStringLiteral("a\r\nb\r\n");
    QTest::newRow("lone cr") << QStringLiteral("a\rb\r");
    QTest::newRow("lone lf") << QStringLiteral("a\nb\n");
    QTest::newRow("lf cr") << QStringLiteral("\n\r");
    QTest::newRow("mixed") << QStringLiteral("\r\n\n\r\r\n\r\r\n\n");
    QTest::newRow("nul") << QString(QChar(0)) + QStringLiteral("x") + QChar(0);
    QTest::newRow("line separator") << QStringLiteral("a\u2028b");
    QTest::newRow("paragraph separator") << QStringLiteral("a\u2029b\u2029");
    QTest::newRow("no-break space") << QStringLiteral("a\u00a0b");
    QTest::newRow("frame markers") << QStringLiteral("\ufdd0a\ufdd1\ufdd0\r\n\ufdd1");
    QTest::newRow("stand-in look-alikes") << QStringLiteral("\uf8d0\ufdd0\uf8d1");
    QTest::newRow("lone surrogate") << QString(QChar(0xdc80)) + QChar(0xd800);
    QTest::newRow("bom and replacement") << QStringLiteral("\ufeff\ufffd\ufffc");
}

void TestTextBox::roundTrip()
{
    QFETCH(QString, text);
    TextModel document;
    TextView box(document);
    box.setText(text);
    QCOMPARE(box.Text(), text);
    QCOMPARE(box.textLength(), text.size());
    box.setSelStart(0);
    box.setSelLength(text.size());
    QCOMPARE(box.SelText(), text);
    QCOMPARE(box.SelLength(), text.size());
}

void TestTextBox::everyCharacterSurvives()
{
    QString all;
    for (char32_t c = 0; c <= 0xffff; ++c)
        all += QChar(char16_t(c));
    TextModel document;
    TextView box(document);
    box.setText(all);
    QCOMPARE(box.Text(), all);
    box.setSelStart(0);
    box.setSelLength(all.size());
    QCOMPARE(box.SelText(), all);
}

void TestTextBox::positionsCountCrLfAsTwo()
{
    TextModel document;
    TextView box(document);
    const QString text = QStringLiteral("ab\r\ncd\nef\rgh\r\n");
    box.setText(text);
    for (qsizetype i = 0; i <= text.size(); ++i) {
        // Inside a CR LF pair the caret falls back to the end of the line.
        const bool insidePair =
            i > 0 && text[i - 1] == u'\r' && i < text.size() && text[i] == u'\n';
        box.setSelStart(i);
        QCOMPARE(box.SelStart(), insidePair ? i - 1 : i);
        QCOMPARE(box.SelLength(), 0);
    }
    box.setSelStart(1000);
    QCOMPARE(box.SelStart(), text.size());
    box.setSelStart(5);
    box.setSelLength(1000);
    QCOMPARE(box.SelLength(), text.size() - 5);
}

void TestTextBox::selectionAcrossLineBreak()
{
    TextModel document;
    TextView box(document);
    box.setText(QStringLiteral("one\r\ntwo\nthree"));
    box.setSelStart(2);
    box.setSelLength(5);
    QCOMPARE(box.SelText(), QStringLiteral("e\r\ntw"));
    box.setSelStart(6);
    box.setSelLength(4);
    QCOMPARE(box.SelText(), QStringLiteral("wo\nt"));
}

void TestTextBox::selTextReplacesSelection()
{
    TextModel document;
    TextView box(document);
    box.setText(QStringLiteral("one\r\ntwo\r\nthree"));
    box.setSelStart(2);
    box.setSelLength(6); // "e\r\ntwo"
    box.setSelText(QStringLiteral("X\rY\nZ"));
    QCOMPARE(box.Text(), QStringLiteral("onX\rY\nZ\r\nthree"));
    QCOMPARE(box.SelStart(), 7);
    QCOMPARE(box.SelLength(), 0);
    box.setSelText(QString());
    QCOMPARE(box.Text(), QStringLiteral("onX\rY\nZ\r\nthree"));
}

void TestTextBox::typedLineBreaksAreCrLf()
{
    TextModel document;
    TextView box(document);
    box.setText(QStringLiteral("a\nb"));
    box.setSelStart(1);
    QTest::keyClick(&box, Qt::Key_Return);
    QTest::keyClick(&box, Qt::Key_Return, Qt::ShiftModifier);
    QCOMPARE(box.Text(), QStringLiteral("a\r\n\r\n\nb"));
    QTest::keyClick(&box, Qt::Key_Backspace);
    QTest::keyClick(&box, Qt::Key_Backspace);
    QCOMPARE(box.Text(), QStringLiteral("a\nb"));
    box.setSelStart(box.textLength());
    QTest::keyClicks(&box, QStringLiteral("cd"));
    QCOMPARE(box.Text(), QStringLiteral("a\nbcd"));
}

void TestTextBox::editsKeepBreakKinds()
{
    TextModel document;
    TextView box(document);
    box.setText(QStringLiteral("a\nb\rc\r\nd"));
    // Delete the LF between a and b from the keyboard: the CR after b stays.
    box.setSelStart(1);
    QTest::keyClick(&box, Qt::Key_Delete);
    QCOMPARE(box.Text(), QStringLiteral("ab\rc\r\nd"));
    // Join b's line and c's line with Backspace at the start of c.
    box.setSelStart(3);
    QTest::keyClick(&box, Qt::Key_Backspace);
    QCOMPARE(box.Text(), QStringLiteral("abc\r\nd"));
    QCOMPARE(box.textLength(), 6);
}

// Random edits through the keyboard and through setSelText, checked against
// a plain string that undergoes the same edits.
void TestTextBox::randomEditsAgreeWithModel()
{
    QRandomGenerator random(1234);
    const QString alphabet = QStringLiteral("ab\r\n\u2029\u2028\ufdd0 ");
    auto randomText = [&](int maxLength) {
        QString s;
        const int length = random.bounded(maxLength + 1);
        for (int i = 0; i < length; ++i)
            s += alphabet[random.bounded(int(alphabet.size()))];
        return s;
    };
    TextModel document;
    TextView box(document);
    QString model = randomText(20);
    box.setText(model);
    for (int step = 0; step < 2000; ++step) {
        const qsizetype length = model.size();
        qsizetype start = random.bounded(int(length + 1));
        qsizetype count = random.bounded(int(length - start + 1));
        // A position between CR and LF is not a place the caret can stand.
        auto snap = [&](qsizetype p) {
            return p > 0 && p < model.size() && model[p - 1] == u'\r' && model[p] == u'\n' ? p - 1
                                                                                           : p;
        };
        start = snap(start);
        count = snap(start + count) - start;
        box.setSelStart(start);
        box.setSelLength(count);
        QCOMPARE(box.SelText(), model.mid(start, count));
        if (random.bounded(2) == 0) {
            const QString insert = randomText(5);
            box.setSelText(insert);
            model.replace(start, count, insert);
        } else if (count > 0) {
            QTest::keyClick(&box, Qt::Key_Delete);
            model.remove(start, count);
        } else {
            QTest::keyClick(&box, Qt::Key_Return);
            model.insert(start, QStringLiteral("\r\n"));
        }
        QCOMPARE(box.Text(), model);
        QCOMPARE(box.textLength(), model.size());
    }
}

void TestTextBox::appendLeavesCaretAlone()
{
    TextModel document;
    TextView box(document);
    box.appendText(QStringLiteral("one\r\n")); // into an empty box
    QCOMPARE(box.SelStart(), 0);
    box.appendText(QStringLiteral("two\nthree"));
    QCOMPARE(box.Text(), QStringLiteral("one\r\ntwo\nthree"));
    QCOMPARE(box.SelStart(), 0);
    box.setSelStart(3);
    box.setSelLength(4);
    box.appendText(QStringLiteral("\rfour"));
    QCOMPARE(box.SelStart(), 3);
    QCOMPARE(box.SelText(), QStringLiteral("\r\ntw"));
    QCOMPARE(box.Text(), QStringLiteral("one\r\ntwo\nthree\rfour"));
}

QTEST_MAIN(TestTextBox)
#include "tst_textbox.moc"
