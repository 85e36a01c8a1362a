#include "tests/support/textshapes.h"
#include "text/textmodel.h"
#include "text/textmodelappender.h"
#include "text/textnavigation.h"
#include "textview/laidouttext.h"
#include "textview/textview.h"

#include <QImage>
#include <QPainter>
#include <QScrollBar>
#include <QTest>

#include <cmath>

using TextShapes::repeated;

// Lines of any length are one line: what is drawn where is what the caret
// and the mouse find there, from the first character to the last.
class TestTextLayout : public QObject
{
    Q_OBJECT

private slots:
    void positionsAndXAgree_data();
    void positionsAndXAgree();
    void longLineDrawsItsOwnCharacters_data();
    void longLineDrawsItsOwnCharacters();
    void caretStaysInView_data();
    void caretStaysInView();
    void longLineReadsAsWhole_data();
    void longLineReadsAsWhole();
    void editKeepsOtherLayouts_data();
    void editKeepsOtherLayouts();
    void layoutsStayWithinTheirBound();
    void lastOfManyLinesIsInView();
};

void TestTextLayout::positionsAndXAgree_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<int>("length");
    QTest::newRow("short line") << QStringLiteral("perché ") << 300;
    QTest::newRow("long plain line") << QStringLiteral("lorem ipsum dolor ") << 200000;
    QTest::newRow("long line with tabs") << QStringLiteral("a\tbb\t\tccc ") << 200000;
    QTest::newRow("long line of clusters")
        << QStringLiteral("e\u0301\U0001F600 x\U0001F600\u0915\u093F ") << 200000;
    QTest::newRow("long line of boxed characters")
        << QString(QChar(0)) + QChar(0xDC80) + QStringLiteral("\u2029ab") << 200000;
}

// x of every caret place grows along the line, and the place found at that
// x is the place itself.
void TestTextLayout::positionsAndXAgree()
{
    QFETCH(QString, pattern);
    QFETCH(int, length);
    TextModel model;
    model.setText(repeated(pattern, length) + QStringLiteral("\r\nnext"));
    TextView view(model);
    view.resize(400, 200);
    qreal previousX = -1;
    const qint64 end = model.lineEnd(0);
    const qint64 step = std::max<qint64>(1, end / 3000);
    for (qint64 p = 0; p <= end; p += p < 200 || end - p < 200 ? 1 : step) {
        const qint64 position = TextNavigation::snapped(model, p);
        const qreal x = view.lineX(position);
        QVERIFY2(x >= previousX, qPrintable(QString::number(position)));
        previousX = x;
        QCOMPARE(view.positionOnLine(0, x), position);
        // A tab reaches the next tab stop, 80 pixels apart from the line's start.
        if (position > 0 && model.at(position - 1) == u'\t')
            QVERIFY2(std::fmod(x + 0.01, 80) < 0.1, qPrintable(QString::number(x)));
    }
    QCOMPARE(view.positionOnLine(0, previousX + 1000), end);
    QCOMPARE(view.positionOnLine(0, -10), qint64(0));
}

void TestTextLayout::longLineDrawsItsOwnCharacters_data()
{
    QTest::addColumn<double>("where");
    QTest::newRow("start") << 0.0;
    QTest::newRow("middle") << 0.5;
    QTest::newRow("end") << 1.0;
}

// The view scrolled to the caret on a 10 MB line shows, around the caret,
// the characters of the text there, where the caret finds them: the same
// pixels as those characters laid out on their own at that x.
void TestTextLayout::longLineDrawsItsOwnCharacters()
{
    QFETCH(double, where);
    TextModel model;
    model.setText(repeated(QStringLiteral("0123456789abcdefghijklmnopqrstuvwxyz+"), 10'000'000));
    TextView view(model);
    view.resize(500, 120);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    const qint64 caret = qint64(where * model.length());
    view.moveCaret(caret);
    // The caret off, so that only text is drawn.
    view.clearFocus();
    const QImage shown = view.viewport()->grab().toImage();

    const qint64 from = std::max<qint64>(0, caret - 40);
    const qint64 to = std::min(model.length(), caret + 40);
    LaidOutText::Style style;
    style.font = view.font();
    const LaidOutText alone(model.text(from, to), style);
    QImage expected(shown.size(), shown.format());
    expected.fill(view.palette().color(QPalette::Base));
    QPainter painter(&expected);
    painter.setPen(view.palette().color(QPalette::Text));
    const qreal left = view.viewportX(from);
    alone.draw(painter, QPointF(left, view.lineTop(0)), 0, 0, view.palette());
    painter.end();

    // Compared away from the edges of the piece drawn alone.
    const int x0 = std::max(0, int(view.viewportX(std::min(from + 3, to))) + 1);
    const int x1 = std::min(shown.width(), int(view.viewportX(std::max(to - 3, from))) - 1);
    QVERIFY(x1 - x0 > 20);
    int differing = 0, inked = 0;
    for (int y = view.lineTop(0); y < view.lineTop(0) + view.lineHeight(); ++y) {
        for (int x = x0; x < x1; ++x) {
            differing += shown.pixel(x, y) != expected.pixel(x, y);
            inked += expected.pixel(x, y) != expected.pixel(0, 0);
        }
    }
    QVERIFY(inked > 50);
    QVERIFY2(differing <= inked / 50,
             qPrintable(QStringLiteral("%1 of %2").arg(differing).arg(inked)));
}

void TestTextLayout::caretStaysInView_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("lines");
    QString digits;
    for (int i = 0; digits.size() < 300; ++i)
        digits += QString::number(i * 1024) + u',';
    digits.truncate(300);
    const QString prose = QStringLiteral("lorem ipsum dolor sit amet, perché città ");
    QTest::newRow("prose") << repeated(prose, 60) << 300;
    QTest::newRow("digits") << digits << 300;
    QTest::newRow("wide letters") << repeated(QStringLiteral("WM\u6F22\u5B57"), 2000) << 100;
    QTest::newRow("tabs") << repeated(QStringLiteral("a\tbb\t\t"), 5000) << 100;
    QTest::newRow("4096 characters") << repeated(QStringLiteral("0123456789,"), 4096) << 100;
    QTest::newRow("4097 characters") << repeated(QStringLiteral("0123456789,"), 4097) << 100;
    QTest::newRow("5000 digits") << repeated(QStringLiteral("0,1024,2048,"), 5000) << 3;
    QTest::newRow("10 MB line") << repeated(QStringLiteral("W0123 xyz,"), 10'000'000) << 2;
}

// Whatever the lines are made of, the caret is in view after every key a
// person presses to go to a line's end, type there, come back, go to the
// last line or a page down, both before and after the view repaints.
void TestTextLayout::caretStaysInView()
{
    QFETCH(QString, line);
    QFETCH(int, lines);
    TextModel model;
    QString text;
    text.reserve((line.size() + 2) * lines);
    for (int i = 0; i < lines; ++i)
        text += line + QStringLiteral("\r\n");
    model.setText(text);
    TextView view(model);
    view.resize(400, 200);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    // What is wrong with the caret's place after a step, if anything.
    const auto misplaced = [&](const char *step) {
        const QRect area = view.viewport()->rect();
        const QRect before = view.caretRect();
        view.viewport()->repaint();
        const QRect after = view.caretRect();
        if (area.contains(before) && area.contains(after))
            return QString();
        return QStringLiteral("%1: caret at %2,%3 then %4,%5 in %6x%7")
            .arg(QLatin1String(step))
            .arg(before.x())
            .arg(before.y())
            .arg(after.x())
            .arg(after.y())
            .arg(area.width())
            .arg(area.height());
    };
#define CARET_IN_VIEW(step)                                                                        \
    do {                                                                                           \
        const QString problem = misplaced(step);                                                   \
        QVERIFY2(problem.isEmpty(), qPrintable(problem));                                          \
    } while (false)
    QTest::keyClick(&view, Qt::Key_End);
    CARET_IN_VIEW("End");
    for (int i = 0; i < 20; ++i) {
        QTest::keyClicks(&view, QStringLiteral("9"));
        CARET_IN_VIEW("typing at the end");
    }
    QTest::keyClick(&view, Qt::Key_Home);
    CARET_IN_VIEW("Home");
    QTest::keyClick(&view, Qt::Key_End, Qt::ControlModifier);
    CARET_IN_VIEW("Ctrl+End");
    QTest::keyClick(&view, Qt::Key_Home, Qt::ControlModifier);
    QTest::keyClick(&view, Qt::Key_End);
    for (int i = 0; i < 3; ++i) {
        QTest::keyClick(&view, Qt::Key_PageDown);
        CARET_IN_VIEW("Page Down");
    }
#undef CARET_IN_VIEW
}

void TestTextLayout::longLineReadsAsWhole_data()
{
    QTest::addColumn<QString>("line");
    const QString hebrew = QStringLiteral("\u05E9\u05DC\u05D5\u05DD \u05E2\u05D5\u05DC\u05DD ");
    const QString arabic = QStringLiteral("\u0645\u0631\u062D\u0628\u0627 \u0661\u0662\u0663 ");
    QTest::newRow("right to left, with numbers and tokens")
        << repeated(hebrew + QStringLiteral("L844 12,5 ") + arabic, 8214);
    QTest::newRow("left to right, with long right-to-left runs")
        << repeated(QStringLiteral("abc 12 ") + repeated(hebrew + QStringLiteral("34 "), 600) +
                        QStringLiteral(" def "),
                    8214);
    QTest::newRow("right to left, with tabs")
        << repeated(hebrew + QStringLiteral("\tabc def\t") + arabic, 8214);
}

// A line too long to be laid out whole reads as it would laid out whole:
// the words stand in the same order from left to right, whichever their
// direction, and none is cut in two.
void TestTextLayout::longLineReadsAsWhole()
{
    QFETCH(QString, line);
    TextModel model;
    model.setText(line);
    TextView view(model);
    view.resize(600, 100);
    LaidOutText::Style style;
    style.font = view.font();
    style.tabStop = 80;
    const LaidOutText whole(line, style);
    // Positions inside words, each between two characters of one run.
    QList<qint64> inside;
    for (qint64 p = 1; p + 1 < line.size(); ++p)
        if (!line[p - 1].isSpace() && !line[p].isSpace() && !line[p + 1].isSpace() &&
            line[p - 1].direction() == line[p].direction())
            inside.append(p);
    const auto byX = [&](const std::function<qreal(qint64)> &x) {
        QList<std::pair<qreal, qint64>> placed;
        for (const qint64 p : inside)
            placed.append({x(p), p});
        std::stable_sort(placed.begin(), placed.end(),
                         [](const auto &a, const auto &b) { return a.first < b.first; });
        QList<qint64> order;
        for (const auto &[x, p] : placed)
            order.append(p);
        return order;
    };
    const QList<qint64> shown = byX([&](qint64 p) { return view.lineX(p); });
    const QList<qint64> expected = byX([&](qint64 p) { return whole.xOf(int(p)); });
    for (qsizetype i = 0; i < shown.size(); ++i)
        QVERIFY2(shown[i] == expected[i],
                 qPrintable(QStringLiteral("place %1: position %2 where %3 belongs")
                                .arg(i)
                                .arg(shown[i])
                                .arg(expected[i])));
}

void TestTextLayout::editKeepsOtherLayouts_data()
{
    QTest::addColumn<int>("length");
    QTest::addColumn<QKeySequence>("keys");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<qint64>("lines");
    for (const int length : {60, 4000}) {
        const QByteArray shape = length < 100 ? "short lines, " : "long lines, ";
        QTest::newRow(shape + "a letter") << length << QKeySequence() << "x" << qint64(40);
        QTest::newRow(shape + "a line break")
            << length << QKeySequence(Qt::Key_Return) << "" << qint64(41);
        QTest::newRow(shape + "a line break removed")
            << length << QKeySequence(Qt::Key_Delete) << "" << qint64(39);
    }
}

// An edit on one line lays out again that line (the pieces of it in and
// near the view) and no other: the layouts of the lines around it, above
// and below, are kept.
void TestTextLayout::editKeepsOtherLayouts()
{
    QFETCH(int, length);
    QFETCH(QKeySequence, keys);
    QFETCH(QString, typed);
    QFETCH(qint64, lines);
    TextModel model;
    QString text;
    for (int i = 0; i < 40; ++i)
        text += repeated(QStringLiteral("lorem ipsum %1 ").arg(i), length) + u'\n';
    text.chop(1);
    model.setText(text);
    TextView view(model);
    view.resize(600, 800);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    // At the line's start to type, at its end to join the next line to it.
    view.moveCaret(typed.isEmpty() && lines < 40 ? model.lineEnd(10) : model.lineStart(10));
    view.viewport()->repaint();
    const quint64 before = view.layouts().layoutsMade();
    if (!keys.isEmpty())
        QTest::keySequence(&view, keys);
    QTest::keyClicks(&view, typed);
    view.viewport()->repaint();
    QCOMPARE(model.lineCount(), lines);
    QVERIFY2(view.layouts().layoutsMade() - before <= 5,
             qPrintable(QString::number(view.layouts().layoutsMade() - before)));
}

// Paging through a document of long lines, and along each, keeps no more
// laid-out characters than the bound, however much was seen.
void TestTextLayout::layoutsStayWithinTheirBound()
{
    TextModel model;
    QString text;
    for (int i = 0; i < 600; ++i)
        text +=
            repeated(QStringLiteral("\u05E9\u05DC\u05D5\u05DD 12 %1 abc\t").arg(i), 4000) + u'\n';
    model.setText(text);
    TextView view(model);
    view.resize(1200, 900);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    qint64 most = 0;
    while (view.cursor().position() < model.lineStart(model.lineCount() - 1)) {
        QTest::keyClick(&view, Qt::Key_PageDown);
        QTest::keyClick(&view,
                        view.lineX(view.cursor().position()) > 0 ? Qt::Key_Home : Qt::Key_End);
        view.viewport()->repaint();
        most = std::max(most, view.layouts().cachedCharacters());
    }
    QVERIFY(view.layouts().layoutsMade() > 600);
    QVERIFY2(most <= LineLayouts::CachedCharacters, qPrintable(QString::number(most)));
}

// In a document of more lines than a line's top in pixels can count in
// int, the last line is reached and the caret drawn on it, in view.
void TestTextLayout::lastOfManyLinesIsInView()
{
    constexpr qint64 Lines = (qint64(1) << 31) / 12 + 1000;
    TextModel model;
    {
        TextModelAppender appender(model);
        const QByteArray breaks(1 << 20, '\n');
        for (qint64 left = Lines - 1; left > 0; left -= breaks.size())
            appender.appendLatin1(breaks.constData(), std::min<qint64>(left, breaks.size()));
        appender.appendLatin1("end", 3);
        appender.flush();
    }
    QCOMPARE(model.lineCount(), Lines);
    TextView view(model);
    view.resize(400, 200);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    QVERIFY(Lines * view.lineHeight() > INT_MAX);
    QTest::keyClick(&view, Qt::Key_End, Qt::ControlModifier);
    view.viewport()->repaint();
    QCOMPARE(view.cursor().position(), model.length());
    QVERIFY(view.viewport()->rect().contains(view.caretRect()));
    QCOMPARE(view.positionAt(view.caretRect().center()), model.length());
    QVERIFY(view.lineTop(0) < -view.viewport()->height());
    QTest::keyClick(&view, Qt::Key_PageUp);
    QVERIFY(view.viewport()->rect().contains(view.caretRect()));
    QCOMPARE(view.firstVisibleLine(), Lines - 2 * view.visibleLines());
}

QTEST_MAIN(TestTextLayout)
#include "tst_textlayout.moc"
