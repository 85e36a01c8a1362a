#include "mainwindowfixture.h"
#include "tests/support/fakedocumenthost.h"

#include "document/editcommands.h"
#include "document/timedatetext.h"
#include "tests/support/fakeclock.h"
#include "textview/textview.h"
#include "textview/textviewmenu.h"

#include <QClipboard>
#include <QDateTime>
#include <QGuiApplication>
#include <QImage>
#include <QMenu>
#include <QMimeData>
#include <QSignalSpy>
#include <QTest>

namespace {

QClipboard &clipboard()
{
    return *QGuiApplication::clipboard();
}

// What the clipboard holds before a paste.
enum class Clip { Text, Nothing, ImageOnly };

void fillClipboard(Clip kind, const QString &text)
{
    switch (kind) {
    case Clip::Text:
        clipboard().setText(text);
        break;
    case Clip::Nothing:
        clipboard().clear();
        break;
    case Clip::ImageOnly: {
        auto *data = new QMimeData;
        data->setImageData(QImage(4, 4, QImage::Format_RGB32));
        clipboard().setMimeData(data);
        break;
    }
    }
}

// A clock that moves on by a fixed step every time it is read, as a real one
// does between two reads.
class MovingClock : public Clock
{
public:
    MovingClock(QDateTime start, qint64 stepMs) : now_(start), stepMs_(stepMs) {}
    QTime currentTime() const override { return tick().time(); }
    QDate currentDate() const override { return tick().date(); }
    int reads = 0;

private:
    QDateTime tick() const
    {
        const QDateTime read = now_;
        now_ = now_.addMSecs(stepMs_);
        const_cast<MovingClock *>(this)->reads++;
        return read;
    }
    mutable QDateTime now_;
    qint64 stepMs_;
};

} // namespace

Q_DECLARE_METATYPE(Clip)

// The edit commands move text between the active document and the clipboard
// exactly, and leave the caret right after whatever they insert.
class TestEditCommands : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void copyAndCut_data();
    void copyAndCut();
    void repeatedCopyAndCutReplaceTheClipboard();
    void paste_data();
    void paste();
    void selectAll_data();
    void selectAll();
    void insertTimeAndDate_data();
    void insertTimeAndDate();
    void commandsWithoutDocumentDoNothing();

    void stampInLocale_data();
    void stampInLocale();
    void stampInEveryLocale();
    void timeAndDateComeFromOneMoment_data();
    void timeAndDateComeFromOneMoment();
    void clockGoingBackStillGivesAnAnswer();

    void keysInTheTextBoxRunTheCommands_data();
    void keysInTheTextBoxRunTheCommands();
    void contextMenuMovesTextLikeTheCommands();
    void contextMenuUndoesAndRedoes();
    void shiftEnterMakesAnOrdinaryLineBreak();

private:
    TextBox &box() { return host_.activeDocument()->ActiveControl(); }
    void select(qsizetype start, qsizetype length)
    {
        box().setSelStart(start);
        box().setSelLength(length);
    }

    FakeDocumentHost host_;
    FakeClock clock_;
};

void TestEditCommands::init()
{
    host_.discardAll();
    host_.CreateDocumentWindow();
    clipboard().setText(QStringLiteral("prima"));
}

void TestEditCommands::copyAndCut_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<qsizetype>("start");
    QTest::addColumn<qsizetype>("length");
    QTest::addColumn<QString>("selected");
    // The fewest characters the memory left refuses; -1 for none.
    QTest::addColumn<qsizetype>("refusedFrom");

    const QString lines = QStringLiteral("uno\r\ndue\r\ntre");
    const qsizetype none = -1;
    QTest::newRow("nothing selected") << lines << qsizetype(5) << qsizetype(0) << QString() << none;
    QTest::newRow("empty document")
        << QString() << qsizetype(0) << qsizetype(0) << QString() << none;
    QTest::newRow("across lines keeps CR LF")
        << lines << qsizetype(2) << qsizetype(8) << QStringLiteral("o\r\ndue\r\n") << none;
    QTest::newRow("whole text") << lines << qsizetype(0) << qsizetype(13) << lines << none;
    QTest::newRow("lone LF and lone CR") << QStringLiteral("a\nb\rc") << qsizetype(0)
                                         << qsizetype(5) << QStringLiteral("a\nb\rc") << none;
    QTest::newRow("blank lines") << QStringLiteral("x\r\n\r\n\r\ny") << qsizetype(1) << qsizetype(6)
                                 << QStringLiteral("\r\n\r\n\r\n") << none;
    QTest::newRow("odd characters") << QStringLiteral("a\u00a0\u2028\ufdd0b") << qsizetype(1)
                                    << qsizetype(3) << QStringLiteral("\u00a0\u2028\ufdd0") << none;
    // Small texts always fit: this one is a few characters too large.
    const QString large = lines + QString(1 << 20, u'x');
    QTest::newRow("more than the memory left")
        << large << qsizetype(0) << large.size() << QStringLiteral("prima") << large.size() - 2;
}

void TestEditCommands::copyAndCut()
{
    QFETCH(QString, text);
    QFETCH(qsizetype, start);
    QFETCH(qsizetype, length);
    QFETCH(QString, selected);
    QFETCH(qsizetype, refusedFrom);
    EditCommands commands(host_, clock_);
    auto &view = static_cast<TextView &>(box());
    view.setEditCheck([refusedFrom](qint64 characters) -> std::optional<QString> {
        if (refusedFrom < 0 || characters < refusedFrom)
            return std::nullopt;
        return QStringLiteral("Memoria insufficiente.");
    });
    QSignalSpy refused(&view, &TextView::editRefused);
    const bool refuses = refusedFrom >= 0;

    box().setText(text);
    select(start, length);
    commands.Copy();
    QCOMPARE(clipboard().text(), selected);
    QCOMPARE(box().Text(), text);
    QCOMPARE(box().SelStart(), start);
    QCOMPARE(box().SelLength(), length);

    clipboard().setText(QStringLiteral("prima"));
    commands.Cut();
    QCOMPARE(clipboard().text(), selected);
    QCOMPARE(box().Text(), refuses ? text : QString(text).remove(start, length));
    QCOMPARE(box().SelStart(), start);
    QCOMPARE(box().SelLength(), refuses ? length : qsizetype(0));
    QCOMPARE(refused.size(), refuses ? 2 : 0);
}

void TestEditCommands::repeatedCopyAndCutReplaceTheClipboard()
{
    EditCommands commands(host_, clock_);
    box().setText(QStringLiteral("alfa beta gamma"));
    select(0, 4);
    commands.Copy();
    select(5, 4);
    commands.Copy();
    QCOMPARE(clipboard().text(), QStringLiteral("beta"));
    commands.Cut();
    select(0, 4);
    commands.Cut();
    QCOMPARE(clipboard().text(), QStringLiteral("alfa"));
    QCOMPARE(box().Text(), QStringLiteral("  gamma"));
}

void TestEditCommands::paste_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<qsizetype>("start");
    QTest::addColumn<qsizetype>("length");
    QTest::addColumn<Clip>("clip");
    QTest::addColumn<QString>("pasted");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<qsizetype>("caret");

    const QString lines = QStringLiteral("uno\r\ndue\r\ntre");
    QTest::newRow("at the caret") << QStringLiteral("abc") << qsizetype(1) << qsizetype(0)
                                  << Clip::Text << QStringLiteral("XY") << QStringLiteral("aXYbc")
                                  << qsizetype(3);
    QTest::newRow("at the end") << QStringLiteral("abc") << qsizetype(3) << qsizetype(0)
                                << Clip::Text << QStringLiteral("XY") << QStringLiteral("abcXY")
                                << qsizetype(5);
    QTest::newRow("into an empty document")
        << QString() << qsizetype(0) << qsizetype(0) << Clip::Text << QStringLiteral("XY")
        << QStringLiteral("XY") << qsizetype(2);
    QTest::newRow("short text over a multi-line selection")
        << lines << qsizetype(2) << qsizetype(8) << Clip::Text << QStringLiteral("Z")
        << QStringLiteral("unZtre") << qsizetype(3);
    QTest::newRow("long text over a short selection")
        << lines << qsizetype(5) << qsizetype(1) << Clip::Text << QStringLiteral("ABCDEFG")
        << QStringLiteral("uno\r\nABCDEFGue\r\ntre") << qsizetype(12);
    QTest::newRow("text with CR LF after CR LF")
        << lines << qsizetype(10) << qsizetype(0) << Clip::Text << QStringLiteral("1\r\n2\r\n")
        << QStringLiteral("uno\r\ndue\r\n1\r\n2\r\ntre") << qsizetype(16);
    QTest::newRow("lone LF and lone CR kept")
        << QStringLiteral("ab") << qsizetype(1) << qsizetype(0) << Clip::Text
        << QStringLiteral("x\ny\rz") << QStringLiteral("ax\ny\rzb") << qsizetype(6);
    QTest::newRow("empty clipboard removes the selection")
        << lines << qsizetype(3) << qsizetype(5) << Clip::Nothing << QString()
        << QStringLiteral("uno\r\ntre") << qsizetype(3);
    QTest::newRow("empty clipboard, nothing selected")
        << lines << qsizetype(4 + 1) << qsizetype(0) << Clip::Nothing << QString() << lines
        << qsizetype(5);
    QTest::newRow("clipboard holding only a picture")
        << QStringLiteral("abc") << qsizetype(1) << qsizetype(1) << Clip::ImageOnly << QString()
        << QStringLiteral("ac") << qsizetype(1);
    QTest::newRow("empty text on the clipboard")
        << QStringLiteral("abc") << qsizetype(0) << qsizetype(3) << Clip::Text << QString()
        << QString() << qsizetype(0);
}

void TestEditCommands::paste()
{
    QFETCH(QString, text);
    QFETCH(qsizetype, start);
    QFETCH(qsizetype, length);
    QFETCH(Clip, clip);
    QFETCH(QString, pasted);
    QFETCH(QString, expected);
    QFETCH(qsizetype, caret);
    EditCommands commands(host_, clock_);

    box().setText(text);
    select(start, length);
    fillClipboard(clip, pasted);
    commands.Paste();
    QCOMPARE(box().Text(), expected);
    QCOMPARE(box().SelStart(), caret);
    QCOMPARE(box().SelLength(), qsizetype(0));
    // Pasting leaves the clipboard as it was, so the same text can go in again.
    QCOMPARE(clipboard().text(), pasted);
    // Undone, the text and the selection from before it come back.
    QTest::keyClick(host_.activeDocument()->txtText, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(box().Text(), text);
    QCOMPARE(box().SelStart(), start);
    QCOMPARE(box().SelLength(), length);
}

void TestEditCommands::selectAll_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<qsizetype>("start");
    QTest::addColumn<qsizetype>("length");

    QTest::newRow("empty document") << QString() << qsizetype(0) << qsizetype(0);
    QTest::newRow("one line, caret at the end")
        << QStringLiteral("abc") << qsizetype(3) << qsizetype(0);
    QTest::newRow("multi-line, part selected")
        << QStringLiteral("uno\r\ndue\r\ntre\r\n") << qsizetype(6) << qsizetype(4);
    QTest::newRow("lone breaks and blank lines")
        << QStringLiteral("\r\n\r\na\nb\r\r\n") << qsizetype(0) << qsizetype(0);
}

void TestEditCommands::selectAll()
{
    QFETCH(QString, text);
    QFETCH(qsizetype, start);
    QFETCH(qsizetype, length);
    EditCommands commands(host_, clock_);

    box().setText(text);
    select(start, length);
    commands.SelectAll();
    QCOMPARE(box().SelStart(), qsizetype(0));
    QCOMPARE(box().SelLength(), text.size());
    QCOMPARE(box().SelText(), text);
    QCOMPARE(box().Text(), text);
}

void TestEditCommands::insertTimeAndDate_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<qsizetype>("start");
    QTest::addColumn<qsizetype>("length");

    const QString lines = QStringLiteral("uno\r\ndue\r\ntre");
    QTest::newRow("empty document") << QString() << qsizetype(0) << qsizetype(0);
    QTest::newRow("at the caret after CR LF") << lines << qsizetype(10) << qsizetype(0);
    QTest::newRow("over a multi-line selection") << lines << qsizetype(2) << qsizetype(8);
    QTest::newRow("over a selection longer than the text")
        << QStringLiteral("%1\r\n%1").arg(QString(40, u'x')) << qsizetype(1) << qsizetype(80);
}

void TestEditCommands::insertTimeAndDate()
{
    QFETCH(QString, text);
    QFETCH(qsizetype, start);
    QFETCH(qsizetype, length);
    EditCommands commands(host_, clock_);
    clock_.time = QTime(9, 8, 7);
    clock_.date = QDate(2031, 1, 2);
    const QString stamp = timeAndDateText({clock_.time, clock_.date});

    box().setText(text);
    select(start, length);
    commands.InsertTimeAndDate();
    QCOMPARE(box().Text(), QString(text).replace(start, length, stamp));
    QCOMPARE(box().SelStart(), start + stamp.size());
    QCOMPARE(box().SelLength(), qsizetype(0));
    QCOMPARE(clipboard().text(), QStringLiteral("prima"));

    // Each insert is a step of its own, undone with the selection it replaced.
    const QString once = box().Text();
    commands.InsertTimeAndDate();
    QWidget *view = host_.activeDocument()->txtText;
    QTest::keyClick(view, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(box().Text(), once);
    QTest::keyClick(view, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(box().Text(), text);
    QCOMPARE(box().SelStart(), start);
    QCOMPARE(box().SelLength(), std::min(length, text.size() - start));
}

void TestEditCommands::commandsWithoutDocumentDoNothing()
{
    host_.discardAll();
    EditCommands commands(host_, clock_);
    commands.Copy();
    commands.Cut();
    commands.Paste();
    commands.SelectAll();
    commands.InsertTimeAndDate();
    QCOMPARE(clipboard().text(), QStringLiteral("prima"));
}

void TestEditCommands::stampInLocale_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QTime>("time");
    QTest::addColumn<QString>("expected");

    const QTime afternoon(12, 34, 56);
    QTest::newRow("Italian") << "it_IT" << afternoon << QStringLiteral("12:34:56 07/12/26");
    QTest::newRow("Italian, early")
        << "it_IT" << QTime(7, 5, 9) << QStringLiteral("07:05:09 07/12/26");
    QTest::newRow("C") << "C" << afternoon << QStringLiteral("12:34:56 7 Dec 2026");
    QTest::newRow("German") << "de_DE" << afternoon << QStringLiteral("12:34:56 07.12.26");
    QTest::newRow("US evening") << "en_US" << QTime(23, 4, 5)
                                << QStringLiteral("11:04:05 PM 12/7/26");
    // Zones that stand first, in brackets or after a comma leave no trace.
    QTest::newRow("Chinese") << "zh_CN" << afternoon << QStringLiteral("12:34:56 2026/12/7");
    QTest::newRow("Persian") << "fa_IR" << afternoon << QStringLiteral("۱۲:۳۴:۵۶ ۲۰۲۶/۱۲/۷");
    QTest::newRow("Albanian") << "sq_AL" << afternoon
                              << QStringLiteral("12:34:56 E PASDITES 7.12.26");
    QTest::newRow("quoted words kept")
        << "bg_BG" << afternoon << QStringLiteral("12:34:56 ч. 7.12.26 г.");
    QTest::newRow("Japanese") << "ja_JP" << afternoon << QStringLiteral("12時34分56秒 2026/12/07");
}

void TestEditCommands::stampInLocale()
{
    QFETCH(QString, locale);
    QFETCH(QTime, time);
    QFETCH(QString, expected);
    QCOMPARE(timeAndDateText({time, QDate(2026, 12, 7)}, QLocale(locale)), expected);
}

// Whatever the regional settings: the time with its seconds and without a
// time zone, one blank, the short date, and no line end.
void TestEditCommands::stampInEveryLocale()
{
    const QTime time(10, 34, 56);
    const QDate date(2026, 12, 7);
    const QString zone = QDateTime(date, time).timeZoneAbbreviation();
    const QList<QLocale> locales =
        QLocale::matchingLocales(QLocale::AnyLanguage, QLocale::AnyScript, QLocale::AnyTerritory);
    QVERIFY(locales.size() > 100);
    for (const QLocale &locale : locales) {
        const QString text = timeAndDateText({time, date}, locale);
        const QString dateText = locale.toString(date, QLocale::ShortFormat);
        const QByteArray where = (locale.name() + QStringLiteral(": ") + text).toUtf8();
        QVERIFY2(text.endsWith(u' ' + dateText), where.constData());
        const QString timeText = text.chopped(dateText.size() + 1);
        QVERIFY2(!timeText.isEmpty(), where.constData());
        QVERIFY2(!timeText.front().isSpace() && !timeText.back().isSpace(), where.constData());
        QVERIFY2(timeText.contains(locale.toString(34)), where.constData());
        QVERIFY2(timeText.contains(locale.toString(56)), where.constData());
        QVERIFY2(zone.isEmpty() || !timeText.contains(zone), where.constData());
        QVERIFY2(!text.contains(u'\r') && !text.contains(u'\n'), where.constData());
    }
}

void TestEditCommands::timeAndDateComeFromOneMoment_data()
{
    QTest::addColumn<QDateTime>("start");
    QTest::addColumn<qint64>("stepMs");

    const QDate day(2026, 12, 31);
    QTest::newRow("1 ms before midnight") << QDateTime(day, QTime(23, 59, 59, 999)) << qint64(1);
    QTest::newRow("2 ms before midnight") << QDateTime(day, QTime(23, 59, 59, 998)) << qint64(1);
    QTest::newRow("slow reads before midnight")
        << QDateTime(day, QTime(23, 59, 59, 500)) << qint64(400);
    QTest::newRow("at midnight") << QDateTime(day.addDays(1), QTime(0, 0)) << qint64(1);
    QTest::newRow("midday") << QDateTime(day, QTime(12, 0)) << qint64(1);
}

void TestEditCommands::timeAndDateComeFromOneMoment()
{
    QFETCH(QDateTime, start);
    QFETCH(qint64, stepMs);
    MovingClock clock(start, stepMs);
    const TimeAndDate moment = readTimeAndDate(clock);
    const QDateTime read(moment.date, moment.time);
    QVERIFY2(read >= start && read <= start.addMSecs(stepMs * clock.reads),
             qPrintable(read.toString(Qt::ISODateWithMs)));
}

void TestEditCommands::clockGoingBackStillGivesAnAnswer()
{
    MovingClock clock(QDateTime(QDate(2026, 1, 1), QTime(12, 0)), -1000);
    const TimeAndDate moment = readTimeAndDate(clock);
    QVERIFY(moment.time.isValid());
    QCOMPARE(moment.date, QDate(2026, 1, 1));
}

// The text box's own handling of these keys would put plain LF line breaks on
// the clipboard; the program's commands must run instead.
void TestEditCommands::keysInTheTextBoxRunTheCommands_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("clipBefore");
    QTest::addColumn<QString>("textAfter");
    QTest::addColumn<QString>("clipAfter");
    QTest::addColumn<qsizetype>("caret");

    const QString lines = QStringLiteral("uno\r\ndue\r\ntre");
    // The selection is "o\r\ndue\r\n" (from 2, 8 long).
    QTest::newRow("Ctrl+C") << int(Qt::Key_C) << QStringLiteral("prima") << lines
                            << QStringLiteral("o\r\ndue\r\n") << qsizetype(2);
    QTest::newRow("Ctrl+X") << int(Qt::Key_X) << QStringLiteral("prima") << QStringLiteral("untre")
                            << QStringLiteral("o\r\ndue\r\n") << qsizetype(2);
    QTest::newRow("Ctrl+V") << int(Qt::Key_V) << QStringLiteral("a\r\nb\nc")
                            << QStringLiteral("una\r\nb\nctre") << QStringLiteral("a\r\nb\nc")
                            << qsizetype(8);
}

void TestEditCommands::keysInTheTextBoxRunTheCommands()
{
    QFETCH(int, key);
    QFETCH(QString, clipBefore);
    QFETCH(QString, textAfter);
    QFETCH(QString, clipAfter);
    QFETCH(qsizetype, caret);

    MainWindowFixture fixture;
    frmMain *window = fixture.window.get();
    window->Show();
    QVERIFY(QTest::qWaitForWindowActive(window));
    auto *text = static_cast<TextView *>(window->activeDocument()->txtText);
    QTRY_VERIFY(text->hasFocus());
    text->setText(QStringLiteral("uno\r\ndue\r\ntre"));
    text->setSelStart(2);
    text->setSelLength(8);
    clipboard().setText(clipBefore);

    QTest::keyClick(text, Qt::Key(key), Qt::ControlModifier);
    QCOMPARE(text->Text(), textAfter);
    QCOMPARE(clipboard().text(), clipAfter);
    QCOMPARE(text->SelStart(), key == Qt::Key_C ? qsizetype(2) : caret);
}

void TestEditCommands::contextMenuMovesTextLikeTheCommands()
{
    auto &text = *static_cast<TextView *>(host_.activeDocument()->txtText);
    text.setText(QStringLiteral("uno\r\ndue\r\ntre"));
    text.setSelStart(2);
    text.setSelLength(8);
    const std::unique_ptr<QMenu> menu(TextViewMenu::create(text));
    const auto action = [&](const char *name) {
        QAction *found = menu->findChild<QAction *>(QString::fromLatin1(name));
        if (!found)
            qFatal("no %s in the context menu", name);
        return found;
    };

    action("edit-copy")->trigger();
    QCOMPARE(clipboard().text(), QStringLiteral("o\r\ndue\r\n"));
    action("edit-cut")->trigger();
    QCOMPARE(text.Text(), QStringLiteral("untre"));
    QCOMPARE(clipboard().text(), QStringLiteral("o\r\ndue\r\n"));

    clipboard().setText(QStringLiteral("x\ry\nz\r\n"));
    const std::unique_ptr<QMenu> menu2(TextViewMenu::create(text));
    QAction *paste = menu2->findChild<QAction *>(QStringLiteral("edit-paste"));
    QVERIFY(paste);
    paste->trigger();
    QCOMPARE(text.Text(), QStringLiteral("unx\ry\nz\r\ntre"));
    QCOMPARE(text.SelStart(), qsizetype(9));
}

// Annulla and Ripeti head the menu, each greyed while there is nothing to
// undo or to redo.
void TestEditCommands::contextMenuUndoesAndRedoes()
{
    auto &text = *static_cast<TextView *>(host_.activeDocument()->txtText);
    text.setText(QStringLiteral("uno"));
    text.setSelStart(3);
    const auto entries = [&text] {
        const std::unique_ptr<QMenu> menu(TextViewMenu::create(text));
        QStringList shown;
        for (const QAction *action : menu->actions().first(4))
            shown << (action->isSeparator()
                          ? QStringLiteral("-")
                          : action->text() + (action->isEnabled() ? "" : " (grigio)"));
        return shown;
    };
    const auto trigger = [&text](const char *name) {
        const std::unique_ptr<QMenu> menu(TextViewMenu::create(text));
        menu->findChild<QAction *>(QString::fromLatin1(name))->trigger();
    };
    QCOMPARE(entries(),
             (QStringList{"&Annulla (grigio)", "&Ripeti (grigio)", "-", "&Taglia (grigio)"}));
    QTest::keyClicks(&text, QStringLiteral("X"));
    QCOMPARE(entries().first(2), (QStringList{"&Annulla", "&Ripeti (grigio)"}));
    trigger("edit-undo");
    QCOMPARE(text.Text(), QStringLiteral("uno"));
    QCOMPARE(entries().first(2), (QStringList{"&Annulla (grigio)", "&Ripeti"}));
    trigger("edit-redo");
    QCOMPARE(text.Text(), QStringLiteral("unoX"));
    QCOMPARE(entries().first(2), (QStringList{"&Annulla", "&Ripeti (grigio)"}));
}

void TestEditCommands::shiftEnterMakesAnOrdinaryLineBreak()
{
    auto &text = *static_cast<TextView *>(host_.activeDocument()->txtText);
    QTest::keyClicks(&text, QStringLiteral("a"));
    QTest::keyClick(&text, Qt::Key_Return, Qt::ShiftModifier);
    QTest::keyClicks(&text, QStringLiteral("b"));
    QCOMPARE(text.Text(), QStringLiteral("a\r\nb"));
}

QTEST_MAIN(TestEditCommands)
#include "tst_editcommands.moc"
