#include "document/findcommands.h"
#include "tests/support/screenreader.h"
#include "text/textboundaries.h"
#include "text/textmodel.h"
#include "text/textmodelappender.h"
#include "text/textnavigation.h"
#include "text/textsearch.h"
#include "textview/accessibletext.h"
#include "textview/accessibletextitems.h"
#include "textview/accessiblewindow.h"
#include "textview/gotolinedialog.h"
#include "textview/selectionboard.h"
#include "textview/textboxcommands.h"
#include "textview/textview.h"
#include "textview/textviewdrag.h"

#include <QAccessible>
#include <QClipboard>
#include <QDrag>
#include <QInputMethodEvent>
#include <QMenu>
#include <QMimeData>
#include <QRandomGenerator>
#include <QSpinBox>
#include <QTest>
#include <QTimer>

// The text view as a person drives it: keys, mouse, input methods, drag and
// drop, and as assistive technology reads and drives it.
class TestTextView : public QObject
{
    Q_OBJECT

private slots:
    void keys_data();
    void keys();
    void pageKeys();
    void repaintsWhatAnEditShows_data();
    void repaintsWhatAnEditShows();
    void wheelZoomsWithinBounds();
    void mouse_data();
    void mouse();
    void doubleClickSelectsWholeTokens_data();
    void doubleClickSelectsWholeTokens();
    void wordsAreTheSameForEveryCaller_data();
    void wordsAreTheSameForEveryCaller();
    void middleClickPastesPrimary_data();
    void middleClickPastesPrimary();
    void menuFromKeys_data();
    void menuFromKeys();
    void inputMethodEdits_data();
    void inputMethodEdits();
    void inputMethodQueries();
    void preeditIsDrawnAtCaret();
    void accessibleItems_data();
    void accessibleItems();
    void accessibleInterface();
    void accessibleEvents();
    void accessibleWindowReads_data();
    void accessibleWindowReads();
    void accessibleWindowMoves_data();
    void accessibleWindowMoves();
    void everyEditIsTold_data();
    void everyEditIsTold();
    void drops_data();
    void drops();
    void undoStepsAsTyped_data();
    void undoStepsAsTyped();
    void undoRedoRandomEdits_data();
    void undoRedoRandomEdits();
    void undoShowsWhatItChanges();
};

namespace {

struct Shown
{
    explicit Shown(const QString &text) : view(model)
    {
        view.setText(text);
        view.resize(400, 300);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
    }
    TextModel model;
    TextView view;
};

// The middle of the caret's place, in the viewport.
QPoint pointAt(TextView &view, qint64 position)
{
    return view.caretRectAt(position).center();
}

void sendMouse(TextView &view, QEvent::Type type, QPoint point, Qt::MouseButtons buttons,
               Qt::KeyboardModifiers modifiers = {})
{
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, point, view.viewport()->mapToGlobal(point), button, buttons, modifiers);
    QApplication::sendEvent(view.viewport(), &event);
}

void click(TextView &view, QPoint point, Qt::KeyboardModifiers modifiers = {})
{
    sendMouse(view, QEvent::MouseButtonPress, point, Qt::LeftButton, modifiers);
    sendMouse(view, QEvent::MouseButtonRelease, point, Qt::NoButton, modifiers);
}

// What an input method asks of the view, as it asks.
QVariant ask(TextView &view, Qt::InputMethodQuery query)
{
    QInputMethodQueryEvent event(query);
    QApplication::sendEvent(&view, &event);
    return event.value(query);
}

// Types text as a keyboard would: a line break with Return, any other
// character as the text of a key.
void type(TextView &view, const QString &text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'\r' || text[i] == u'\n') {
            QTest::keyClick(&view, Qt::Key_Return);
            continue;
        }
        const qsizetype length = text[i].isHighSurrogate() ? 2 : 1;
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, text.mid(i, length));
        QApplication::sendEvent(&view, &press);
        i += length - 1;
    }
}

// Counts the events of a type that reach an object.
class EventCounter : public QObject
{
public:
    EventCounter(QObject *target, QEvent::Type type, int &count)
        : target_(target), type_(type), count_(count)
    {
        target_->installEventFilter(this);
    }
    ~EventCounter() override { target_->removeEventFilter(this); }
    bool eventFilter(QObject *, QEvent *event) override
    {
        count_ += event->type() == type_;
        return false;
    }

private:
    QObject *target_;
    QEvent::Type type_;
    int &count_;
};

QString longLine(int length)
{
    QString text;
    for (int i = 0; i < length; ++i)
        text += QChar(u'a' + i % 26);
    return text;
}

} // namespace

// Keys from a caret (and anchor) to a place: moves by whole characters as a
// reader sees them, never into a CR LF pair, words, line and text ends, and
// the same with Shift selecting; Ctrl+G and a line number in its dialog; and
// the keys that change the text's size, by points.
void TestTextView::keys_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("anchor");
    QTest::addColumn<int>("start");
    QTest::addColumn<QKeySequence>("keys");
    QTest::addColumn<QString>("result");
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("selected"); // where the anchor ends
    QTest::addColumn<int>("zoomed");   // points larger than before

    const QString marks = QStringLiteral("e\u0301\u0323x");
    const QString clef = QStringLiteral("a\U0001D11Eb");
    const QString family = QStringLiteral("\U0001F469\u200D\U0001F469\u200D\U0001F467x");
    const QString flag = QStringLiteral("\U0001F1EE\U0001F1F9x");
    const QString breaks = QStringLiteral("a\r\nb\rc\nd");
    const QString words = QStringLiteral("uno due\r\ntre");
    const QString lines = QStringLiteral("abc\r\nx\r\nabc");
    auto row = [](const char *name, const QString &text, int anchor, int start, const char *keys,
                  int position, int selected, const QString &result = {}, int zoomed = 0) {
        QTest::newRow(name) << text << anchor << start << QKeySequence(keys)
                            << (result.isNull() ? text : result) << position << selected << zoomed;
    };
    row("right over combining marks", marks, 0, 0, "Right", 3, 3);
    row("left over combining marks", marks, 3, 3, "Left", 0, 0);
    row("right over a surrogate pair", clef, 1, 1, "Right", 3, 3);
    row("right over joined emoji", family, 0, 0, "Right", 8, 8);
    row("left over a flag", flag, 4, 4, "Left", 0, 0);
    row("right over CR LF", breaks, 1, 1, "Right", 3, 3);
    row("left over CR LF", breaks, 3, 3, "Left", 1, 1);
    row("right over lone CR and LF", breaks, 4, 4, "Right, Right, Right", 7, 7);
    row("shift+right over CR LF", breaks, 1, 1, "Shift+Right", 3, 1);
    row("right ends a selection", words, 1, 5, "Right", 5, 5);
    row("ctrl+right", words, 0, 0, "Ctrl+Right", 4, 4);
    row("ctrl+right at a line's end", words, 7, 7, "Ctrl+Right", 9, 9);
    row("ctrl+right from a line's last word", words, 4, 4, "Ctrl+Right", 9, 9);
    row("ctrl+delete leaves the line break", words, 4, 4, "Ctrl+Delete", 4, 4, "uno \r\ntre");
    row("ctrl+shift+left from a line's start, over the break", words, 9, 9, "Ctrl+Shift+Left", 4,
        9);
    row("home", words, 11, 11, "Home", 9, 9);
    row("end", words, 1, 1, "End", 7, 7);
    row("shift+home", words, 11, 11, "Shift+Home", 9, 11);
    row("ctrl+home", words, 11, 11, "Ctrl+Home", 0, 0);
    row("ctrl+shift+end", words, 2, 2, "Ctrl+Shift+End", 12, 2);
    row("down keeps its column over a short line", lines, 2, 2, "Down, Down", 10, 10);
    row("backspace after CR LF removes both", breaks, 3, 3, "Backspace", 1, 1, "ab\rc\nd");
    row("delete before CR LF removes both", breaks, 1, 1, "Delete", 1, 1, "ab\rc\nd");
    row("backspace removes a character and its marks", marks, 3, 3, "Backspace", 0, 0, "x");
    row("delete removes a surrogate pair", clef, 1, 1, "Delete", 1, 1, "ab");
    row("ctrl+backspace removes a word", words, 7, 7, "Ctrl+Backspace", 4, 4, "uno \r\ntre");
    row("ctrl+backspace at a line's start joins the lines", words, 9, 9, "Ctrl+Backspace", 7, 7,
        "uno duetre");
    row("typing replaces the selection", words, 4, 7, "X", 5, 5, "uno x\r\ntre");
    row("tab types a tab", words, 3, 3, "Tab", 4, 4, "uno\t due\r\ntre");
    const QString longCluster = "xa" + QString(300, QChar(0x301)) + "y";
    row("right over 300 marks", longCluster, 1, 1, "Right", 302, 302);
    row("left over 300 marks", longCluster, 302, 302, "Left", 1, 1);
    row("backspace removes 300 marks", longCluster, 302, 302, "Backspace", 1, 1, "xy");
    // Combining marks outside the BMP, each a surrogate pair.
    QString hugeCluster = QStringLiteral("a");
    for (qint64 i = 0; i < TextBoundaries::MaxReach; ++i)
        hugeCluster += QStringLiteral("\U0001D165");
    const int end = int(hugeCluster.size());
    row("past the bound right steps by code point", hugeCluster, 0, 0, "Right, Right, Right", 5, 5);
    row("past the bound left steps by code point", hugeCluster, end, end, "Left, Left", end - 4,
        end - 4);
    const QString three = QStringLiteral("uno\r\ndue\ntre");
    row("ctrl+g to the last line", three, 1, 2, "Ctrl+G, 3, Return", 9, 9);
    row("ctrl+g to the first line", three, 11, 11, "Ctrl+G, 1, Return", 0, 0);
    row("ctrl+g past the last line stays on the caret's", three, 6, 6, "Ctrl+G, 4, Return", 5, 5);
    row("ctrl+g then escape leaves the selection", three, 1, 2, "Ctrl+G, 3, Escape", 2, 1);
    row("ctrl+plus", words, 1, 1, "Ctrl++", 1, 1, {}, 1);
    row("ctrl+= as on keyboards with a shifted plus", words, 1, 1, "Ctrl+=", 1, 1, {}, 1);
    row("ctrl+minus", words, 1, 1, "Ctrl+-", 1, 1, {}, -1);
    row("ctrl+0 gives the size back", words, 1, 1, "Ctrl++, Ctrl++, Ctrl+0", 1, 1, {}, 0);
}

void TestTextView::keys()
{
    QFETCH(QString, text);
    QFETCH(int, anchor);
    QFETCH(int, start);
    QFETCH(QKeySequence, keys);
    TextModel model;
    TextView view(model);
    view.setText(text);
    view.select(anchor, start);
    const qreal size = view.font().pointSizeF();
    // Each key goes where a person's would: to the view, or to the field of
    // the dialog a key opened.
    for (int i = 0; i < keys.count(); ++i) {
        QWidget *dialog = QApplication::activeModalWidget();
        QVERIFY(!dialog || QTest::qWaitForWindowActive(dialog));
        QWidget *target = dialog ? QApplication::focusWidget() : &view;
        QTest::keyClick(target, keys[i].key(), keys[i].keyboardModifiers());
    }
    QVERIFY(!QApplication::activeModalWidget());
    QTEST(model.text(), "result");
    QTEST(int(view.cursor().position()), "position");
    QTEST(int(view.cursor().anchor()), "selected");
    QTEST(int(view.font().pointSizeF() - size), "zoomed");
    QCOMPARE(view.layouts().style().font, view.font());
}

// Page Down and Page Up move by the lines in view and scroll as far.
void TestTextView::repaintsWhatAnEditShows_data()
{
    QTest::addColumn<int>("lines");
    QTest::addColumn<int>("line"); // -1: the end; -2: the first line not wholly in view
    QTest::addColumn<bool>("repainted");
    QTest::newRow("a line in view") << 200 << 2 << true;
    QTest::newRow("the line partly in view") << 200 << -2 << true;
    QTest::newRow("far below the view") << 200 << 150 << false;
    QTest::newRow("the end, far below, as a loading file grows") << 200 << -1 << false;
    QTest::newRow("the end of a text that fits") << 3 << -1 << true;
}

// Text put in at the start of a line is repainted when that line shows,
// and costs no repaint when it comes below every line in view.
void TestTextView::repaintsWhatAnEditShows()
{
    QFETCH(int, lines);
    QFETCH(int, line);
    QFETCH(bool, repainted);
    Shown shown(QStringLiteral("riga\r\n").repeated(lines));
    TextView &view = shown.view;
    if (line == -2)
        line = int(view.firstVisibleLine() + view.viewport()->height() / view.lineHeight());
    const qint64 position = line == -1 ? shown.model.length() : shown.model.lineStart(line);
    QCoreApplication::processEvents();
    int paints = 0;
    EventCounter counter(view.viewport(), QEvent::Paint, paints);
    shown.model.replace(position, position, u"nuova\r\n");
    QCoreApplication::processEvents();
    QCOMPARE(paints > 0, repainted);
}

void TestTextView::pageKeys()
{
    QStringList lines;
    for (int i = 0; i < 200; ++i)
        lines << QStringLiteral("riga %1").arg(i);
    Shown shown(lines.join(u"\r\n"));
    TextView &view = shown.view;
    const qint64 page = view.visibleLines();
    QVERIFY(page > 1);
    view.moveCaret(3);
    QTest::keyClick(&view, Qt::Key_PageDown);
    QCOMPARE(shown.model.lineAt(view.cursor().position()), page);
    QCOMPARE(view.cursor().position() - shown.model.lineStart(page), 3);
    QCOMPARE(view.firstVisibleLine(), page);
    QTest::keyClick(&view, Qt::Key_PageDown, Qt::ShiftModifier);
    QCOMPARE(shown.model.lineAt(view.cursor().position()), 2 * page);
    QCOMPARE(shown.model.lineAt(view.cursor().anchor()), page);
    QTest::keyClick(&view, Qt::Key_PageUp);
    QTest::keyClick(&view, Qt::Key_PageUp);
    QTest::keyClick(&view, Qt::Key_PageUp);
    QCOMPARE(view.cursor().position(), 3);
    QCOMPARE(view.firstVisibleLine(), 0);
}

// Ctrl and the wheel zoom a notch a point, partial turns of a fine wheel
// adding up, between the bounds, with the caret kept in view; the wheel
// alone scrolls.
void TestTextView::wheelZoomsWithinBounds()
{
    QStringList lines;
    for (int i = 0; i < 200; ++i)
        lines << QStringLiteral("riga %1").arg(i);
    Shown shown(lines.join(u"\r\n"));
    TextView &view = shown.view;
    view.moveCaret(shown.model.lineStart(view.visibleLines() - 1));
    const auto turn = [&view](int angle, Qt::KeyboardModifiers modifiers) {
        const QPointF at = view.viewport()->rect().center();
        QWheelEvent wheel(at, view.viewport()->mapToGlobal(at), {}, {0, angle}, Qt::NoButton,
                          modifiers, Qt::NoScrollPhase, false);
        QApplication::sendEvent(view.viewport(), &wheel);
    };
    const qreal size = view.font().pointSizeF();
    turn(60, Qt::ControlModifier);
    QCOMPARE(view.font().pointSizeF(), size);
    turn(60, Qt::ControlModifier);
    QCOMPARE(view.font().pointSizeF(), size + 1);
    QVERIFY(view.viewport()->rect().contains(view.caretRect()));
    turn(120 * 100, Qt::ControlModifier);
    QCOMPARE(view.font().pointSizeF(), TextViewZoom::MaximumPointSize);
    QVERIFY(view.viewport()->rect().contains(view.caretRect()));
    turn(-120 * 100, Qt::ControlModifier);
    QCOMPARE(view.font().pointSizeF(), TextViewZoom::MinimumPointSize);
    turn(-120, Qt::ControlModifier);
    QCOMPARE(view.font().pointSizeF(), TextViewZoom::MinimumPointSize);
    QCOMPARE(view.layouts().style().font, view.font());
    const qint64 first = view.firstVisibleLine();
    turn(-120, Qt::NoModifier);
    QVERIFY(view.firstVisibleLine() > first);
    QCOMPARE(view.font().pointSizeF(), TextViewZoom::MinimumPointSize);
}

enum class Gesture {
    Click,
    Drag,
    DoubleClick,
    DoubleClickDrag,
    DoubleClickLeftOf,
    TripleClick,
    TripleClickDrag,
    ShiftClick,
    ClickOnSelection
};

// What a click, a drag, a double click and Shift+click select, with the
// mouse over the places given.
void TestTextView::mouse_data()
{
    QTest::addColumn<Gesture>("gesture");
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("second");
    QTest::addColumn<int>("anchor");
    QTest::addColumn<int>("position");
    QTest::newRow("click") << Gesture::Click << 5 << 0 << 5 << 5;
    QTest::newRow("drag down a line") << Gesture::Drag << 1 << 11 << 1 << 11;
    QTest::newRow("drag back") << Gesture::Drag << 6 << 2 << 6 << 2;
    QTest::newRow("double click a word") << Gesture::DoubleClick << 5 << 0 << 4 << 7;
    QTest::newRow("double click then drag by words")
        << Gesture::DoubleClickDrag << 5 << 10 << 4 << 12;
    QTest::newRow("double click on a word's last letter's right half")
        << Gesture::DoubleClickLeftOf << 3 << 0 << 0 << 3;
    QTest::newRow("double click on the last letter of a line")
        << Gesture::DoubleClickLeftOf << 20 << 0 << 13 << 20;
    QTest::newRow("triple click selects the line with its break")
        << Gesture::TripleClick << 5 << 0 << 0 << 9;
    QTest::newRow("triple click on the last line") << Gesture::TripleClick << 12 << 0 << 9 << 20;
    QTest::newRow("triple click then drag down by lines")
        << Gesture::TripleClickDrag << 2 << 14 << 0 << 20;
    QTest::newRow("triple click then drag up by lines")
        << Gesture::TripleClickDrag << 14 << 2 << 20 << 0;
    QTest::newRow("shift+click extends") << Gesture::ShiftClick << 1 << 10 << 1 << 10;
    QTest::newRow("click on the selection") << Gesture::ClickOnSelection << 2 << 0 << 2 << 2;
}

void TestTextView::mouse()
{
    QFETCH(Gesture, gesture);
    QFETCH(int, first);
    QFETCH(int, second);
    Shown shown(QStringLiteral("uno due\r\ntre quattro"));
    TextView &view = shown.view;
    const QPoint from = pointAt(view, first);
    const QPoint to = pointAt(view, second);
    switch (gesture) {
    case Gesture::Click:
        click(view, from);
        break;
    case Gesture::Drag:
        sendMouse(view, QEvent::MouseButtonPress, from, Qt::LeftButton);
        sendMouse(view, QEvent::MouseMove, to, Qt::LeftButton);
        sendMouse(view, QEvent::MouseButtonRelease, to, Qt::NoButton);
        break;
    case Gesture::DoubleClick:
    case Gesture::DoubleClickDrag:
        click(view, from);
        sendMouse(view, QEvent::MouseButtonDblClick, from, Qt::LeftButton);
        if (gesture == Gesture::DoubleClickDrag)
            sendMouse(view, QEvent::MouseMove, to, Qt::LeftButton);
        sendMouse(view, QEvent::MouseButtonRelease, to, Qt::NoButton);
        break;
    case Gesture::DoubleClickLeftOf: // just left of the place, over the character before it
        click(view, from + QPoint(-2, 0));
        sendMouse(view, QEvent::MouseButtonDblClick, from + QPoint(-2, 0), Qt::LeftButton);
        sendMouse(view, QEvent::MouseButtonRelease, from + QPoint(-2, 0), Qt::NoButton);
        break;
    case Gesture::TripleClick:
    case Gesture::TripleClickDrag:
        click(view, from);
        sendMouse(view, QEvent::MouseButtonDblClick, from, Qt::LeftButton);
        sendMouse(view, QEvent::MouseButtonRelease, from, Qt::NoButton);
        sendMouse(view, QEvent::MouseButtonPress, from, Qt::LeftButton);
        if (gesture == Gesture::TripleClickDrag)
            sendMouse(view, QEvent::MouseMove, to, Qt::LeftButton);
        sendMouse(view, QEvent::MouseButtonRelease, to, Qt::NoButton);
        break;
    case Gesture::ShiftClick:
        click(view, from);
        click(view, to, Qt::ShiftModifier);
        break;
    case Gesture::ClickOnSelection:
        view.select(0, 7);
        click(view, from);
        break;
    }
    QTEST(int(view.cursor().anchor()), "anchor");
    QTEST(int(view.cursor().position()), "position");
}

// A double click selects a token whole wherever it is clicked, up to the
// bound on each side of the click; past it, the bound's worth either side.
void TestTextView::doubleClickSelectsWholeTokens_data()
{
    QTest::addColumn<int>("length");
    QTest::addColumn<int>("clicked"); // in the token
    QTest::addColumn<int>("from");    // in the token
    QTest::addColumn<int>("to");
    const int reach = int(TextBoundaries::MaxReach);
    QTest::newRow("600, in its middle") << 600 << 300 << 0 << 600;
    QTest::newRow("the bound, at its end") << reach << reach - 1 << 0 << reach;
    QTest::newRow("past the bound") << 4 * reach << 2 * reach << reach << 3 * reach;
}

void TestTextView::doubleClickSelectsWholeTokens()
{
    QFETCH(int, length);
    QFETCH(int, clicked);
    Shown shown("uno " + longLine(length) + " due");
    TextView &view = shown.view;
    view.ensureVisible(4 + clicked + 1);
    view.ensureVisible(4 + clicked);
    const QPoint at = pointAt(view, 4 + clicked) + QPoint(2, 0);
    click(view, at);
    sendMouse(view, QEvent::MouseButtonDblClick, at, Qt::LeftButton);
    sendMouse(view, QEvent::MouseButtonRelease, at, Qt::NoButton);
    QTEST(int(view.cursor().selectionStart() - 4), "from");
    QTEST(int(view.cursor().selectionEnd() - 4), "to");
}

namespace {

// The primary selection as a test holds it.
struct FakeSelectionBoard : SelectionBoard
{
    bool available() const override { return true; }
    void offer(QMimeData *offered) override { data.reset(offered); }
    QString text() const override { return data ? data->text() : QString(); }
    std::unique_ptr<QMimeData> data;
};

} // namespace

// A selection made with the keys stays the primary selection after it is
// deselected, and the middle button pastes a copy of it where it is
// clicked, within the same text too.
void TestTextView::middleClickPastesPrimary_data()
{
    QTest::addColumn<int>("from"); // selected with Shift+Right; -1: Seleziona tutto
    QTest::addColumn<int>("to");
    QTest::addColumn<QKeySequence>("keys"); // after selecting
    QTest::addColumn<int>("clicked");
    QTest::addColumn<QString>("result");
    QTest::addColumn<QString>("primary"); // after the paste
    QTest::addColumn<bool>("closed");     // selected in another document, closed since
    QTest::addColumn<bool>("tooLarge");   // its text more than the memory left
    QTest::newRow("after the selection") << 4 << 7 << QKeySequence() << 11 << "uno due tredue"
                                         << "due" << false << false;
    QTest::newRow("before the selection") << 4 << 7 << QKeySequence() << 0 << "dueuno due tre"
                                          << "due" << false << false;
    QTest::newRow("inside the selection") << 4 << 7 << QKeySequence() << 5 << "uno ddueue tre"
                                          << "due" << false << false;
    QTest::newRow("at its start") << 4 << 7 << QKeySequence() << 4 << "uno duedue tre"
                                  << "due" << false << false;
    QTest::newRow("after deselecting") << 4 << 7 << QKeySequence("Right") << 0 << "dueuno due tre"
                                       << "due" << false << false;
    QTest::newRow("after Seleziona tutto")
        << -1 << -1 << QKeySequence("Right") << 0 << "uno due treuno due tre"
        << "uno due tre" << false << false;
    QTest::newRow("more than the memory left")
        << -1 << -1 << QKeySequence("Right") << 0 << "uno due tre"
        << "" << false << true;
    QTest::newRow("after typing over it") << 4 << 7 << QKeySequence("X") << 0 << "dueuno x tre"
                                          << "due" << false << false;
    QTest::newRow("after its document closed") << 4 << 7 << QKeySequence() << 0 << "dueuno due tre"
                                               << "due" << true << false;
}

void TestTextView::middleClickPastesPrimary()
{
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(QKeySequence, keys);
    QFETCH(int, clicked);
    QFETCH(bool, closed);
    QFETCH(bool, tooLarge);
    Shown shown(QStringLiteral("uno due tre"));
    TextView &view = shown.view;
    if (tooLarge)
        view.setEditCheck([](qint64) { return QStringLiteral("Memoria insufficiente."); });
    FakeSelectionBoard board;
    view.setSelectionBoard(board);
    auto other = std::make_unique<Shown>(QStringLiteral("uno due tre"));
    TextView &selecting = closed ? other->view : view;
    selecting.setSelectionBoard(board);
    if (from < 0)
        TextBoxCommands::selectAll(selecting);
    else
        selecting.moveCaret(from);
    for (int i = from; i < to; ++i)
        QTest::keyClick(&selecting, Qt::Key_Right, Qt::ShiftModifier);
    if (!keys.isEmpty())
        QTest::keySequence(&selecting, keys);
    other.reset();
    const QPoint point = pointAt(view, clicked);
    for (const auto type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QMouseEvent event(type, point, view.viewport()->mapToGlobal(point), Qt::MiddleButton,
                          type == QEvent::MouseButtonPress ? Qt::MiddleButton : Qt::NoButton, {});
        QApplication::sendEvent(view.viewport(), &event);
    }
    QTEST(shown.model.text(), "result");
    QTEST(board.text(), "primary");
}

// The Menu key and Shift+F10 open the context menu under the caret with its
// first entry that can be chosen active; Escape closes it.
void TestTextView::menuFromKeys_data()
{
    QTest::addColumn<QKeySequence>("keys");
    QTest::newRow("menu key") << QKeySequence(Qt::Key_Menu);
    QTest::newRow("shift+F10") << QKeySequence(Qt::SHIFT | Qt::Key_F10);
}

void TestTextView::menuFromKeys()
{
    QFETCH(QKeySequence, keys);
    Shown shown(QStringLiteral("uno due\r\ntre quattro"));
    TextView &view = shown.view;
    view.select(11, 14);
    QPointer<QMenu> menu;
    QString active;
    QString firstEnabled;
    QPoint shownAt;
    QTimer watch;
    connect(&watch, &QTimer::timeout, [&] {
        menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        if (!menu || !menu->activeAction())
            return;
        watch.stop();
        active = menu->activeAction()->objectName();
        shownAt = menu->pos();
        const QList<QAction *> entries = menu->actions();
        const auto first = std::find_if(entries.cbegin(), entries.cend(), [](QAction *entry) {
            return entry->isEnabled() && !entry->isSeparator();
        });
        firstEnabled = first == entries.cend() ? QString() : (*first)->objectName();
        QTest::keyClick(menu, Qt::Key_Escape);
    });
    watch.start(10);
    QTest::keySequence(&view, keys);
    QVERIFY(!active.isEmpty());
    QCOMPARE(active, firstEnabled);
    QCOMPARE(shownAt, view.viewport()->mapToGlobal(view.caretRect().bottomLeft() + QPoint(0, 1)));
    QVERIFY(!menu || !menu->isVisible());
    QCOMPARE(shown.model.text(), QStringLiteral("uno due\r\ntre quattro"));
}

// What an input method commits, replaces and composes, from a caret or a
// selection.
void TestTextView::inputMethodEdits_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("anchor");
    QTest::addColumn<int>("start");
    QTest::addColumn<QString>("commit");
    QTest::addColumn<int>("replaceFrom"); // from the caret
    QTest::addColumn<int>("replaceLength");
    QTest::addColumn<QString>("preedit");
    QTest::addColumn<QString>("result");
    QTest::addColumn<int>("position");
    QTest::newRow("commit at the caret") << "ab" << 1 << 1 << "ü" << 0 << 0 << ""
                                         << "aüb" << 2;
    QTest::newRow("commit over the selection") << "abcd" << 1 << 3 << "ü" << 0 << 0 << ""
                                               << "aüd" << 2;
    QTest::newRow("line separator stored as typed") << "ab" << 1 << 1 << "\u2028" << 0 << 0 << ""
                                                    << "a\u2028b" << 2;
    QTest::newRow("NUL stored as typed")
        << "ab" << 2 << 2 << QString(QChar(0)) << 0 << 0 << "" << QString("ab") + QChar(0) << 3;
    QTest::newRow("replacement before the caret") << "abc" << 3 << 3 << "X" << -2 << 2 << ""
                                                  << "aX" << 2;
    QTest::newRow("replacement stops at the line") << "ab\r\ncd" << 6 << 6 << "X" << -9 << 9 << ""
                                                   << "ab\r\nX" << 5;
    QTest::newRow("replacement with nothing committed") << "abc" << 3 << 3 << "" << -1 << 1 << ""
                                                        << "ab" << 2;
    QTest::newRow("composing leaves the text alone") << "ab" << 1 << 1 << "" << 0 << 0 << "´"
                                                     << "ab" << 1;
    QTest::newRow("composing removes the selection") << "abcd" << 1 << 3 << "" << 0 << 0 << "´"
                                                     << "ad" << 1;
    QTest::newRow("commit then compose the next") << "ab" << 1 << 1 << "é" << 0 << 0 << "´"
                                                  << "aéb" << 2;
}

void TestTextView::inputMethodEdits()
{
    QFETCH(QString, text);
    QFETCH(int, anchor);
    QFETCH(int, start);
    QFETCH(QString, commit);
    QFETCH(int, replaceFrom);
    QFETCH(int, replaceLength);
    QFETCH(QString, preedit);
    TextModel model;
    TextView view(model);
    view.setText(text);
    view.select(anchor, start);
    QInputMethodEvent event(preedit, {});
    event.setCommitString(commit, replaceFrom, replaceLength);
    QApplication::sendEvent(&view, &event);
    QTEST(model.text(), "result");
    QTEST(int(view.cursor().position()), "position");
    QCOMPARE(ask(view, Qt::ImCursorRectangle).toRect().x() >
                 view.caretRectAt(view.cursor().position()).translated(view.viewport()->pos()).x(),
             !preedit.isEmpty());
    // Whatever the event changed goes in one Ctrl+Z, selection included.
    QTest::keyClick(&view, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(model.text(), text);
    QCOMPARE(view.cursor().anchor(), anchor);
    QVERIFY(!view.canUndo());
}

// The surrounding text is the caret's line, or a window of a long line; the
// positions the view gives and takes count from the same start.
void TestTextView::inputMethodQueries()
{
    TextModel model;
    TextView view(model);
    view.setText(QStringLiteral("uno\r\ndue tre"));
    view.select(6, 9);
    QCOMPARE(ask(view, Qt::ImSurroundingText).toString(), QStringLiteral("due tre"));
    QCOMPARE(ask(view, Qt::ImCursorPosition).toInt(), 4);
    QCOMPARE(ask(view, Qt::ImAnchorPosition).toInt(), 1);
    QCOMPARE(ask(view, Qt::ImCurrentSelection).toString(), QStringLiteral("ue "));
    QCOMPARE(ask(view, Qt::ImTextBeforeCursor).toString(), QStringLiteral("due "));

    const QString line = longLine(100000);
    view.setText(QStringLiteral("x\r\n") + line);
    const qint64 caret = 3 + 50000;
    view.select(caret - 3000, caret);
    const QString around = ask(view, Qt::ImSurroundingText).toString();
    const int at = ask(view, Qt::ImCursorPosition).toInt();
    QVERIFY(around.size() <= 1024);
    QVERIFY(at >= 200 && around.size() - at >= 200);
    const qint64 start = caret - at;
    QCOMPARE(model.text(start, start + around.size()), around);
    QCOMPARE(ask(view, Qt::ImAnchorPosition).toInt(), 0); // before the window
    QCOMPARE(ask(view, Qt::ImCurrentSelection).toString(), around.left(at));
    // A selection asked for in the window's terms lands there in the text.
    QInputMethodEvent select(QString(), {{QInputMethodEvent::Selection, at - 5, 5, {}}});
    QApplication::sendEvent(&view, &select);
    QCOMPARE(view.cursor().anchor(), caret - 5);
    QCOMPARE(view.cursor().position(), caret);
}

// The pre-edit text is drawn at the caret and the rest of the line moves
// right: the view then looks as it would with the text typed, but for the
// underline below the letters.
// One rule of words for every caller. Brackets mark the words of a line:
// what a double click on any of their characters selects, where Ctrl+Right
// and Ctrl+Left stop, what a screen reader reads as a word (up to the next
// word's start), and what whole-word search finds.
void TestTextView::wordsAreTheSameForEveryCaller_data()
{
    QTest::addColumn<QString>("marked");
    QTest::newRow("an apostrophe ends a word") << "[dell]'[uomo]";
    QTest::newRow("an elided article") << "[l]'[anno] [\u00e8]";
    QTest::newRow("a hyphen ends a word") << "[e]-[mail]";
    QTest::newRow("a comma between digits") << "[3],[14]";
    QTest::newRow("digits make a word") << "[anno] [2026]";
    QTest::newRow("a dot ends a word, an underscore does not") << "[nome_file].[txt]";
    QTest::newRow("an accent stays with its letter") << "[perche\u0301] [no]";
    QTest::newRow("an accent on an apostrophe") << "[dell]'\u0301[uomo]";
    QTest::newRow("letters beyond U+FFFF") << "[\U0001D400\U0001D401] [x]";
    QTest::newRow("a pictograph ends a word") << "[uno]\U0001F600[due]";
}

void TestTextView::wordsAreTheSameForEveryCaller()
{
    QFETCH(QString, marked);
    QString text;
    QList<TextBoundaries::Range> words;
    QList<qint64> starts;
    for (const QChar c : marked) {
        if (c == u'[')
            starts << text.size();
        else if (c == u']')
            words.append({starts.last(), text.size()});
        else
            text += c;
    }
    TextModel model;
    model.setText(text);
    QList<qint64> rightStops;
    for (qint64 at = 0; at < text.size();)
        rightStops << (at = TextNavigation::nextWord(model, at));
    QCOMPARE(rightStops, starts.mid(1) << text.size());
    QList<qint64> leftStops;
    for (qint64 at = text.size(); at > 0;)
        leftStops.prepend(at = TextNavigation::previousWord(model, at));
    QCOMPARE(leftStops, starts);
    for (qsizetype i = 0; i < words.size(); ++i) {
        const TextBoundaries::Range word = words[i];
        for (qint64 at = word.from; at < word.to; ++at) {
            const TextNavigation::Range clicked = TextNavigation::wordAt(model, at);
            QCOMPARE(clicked.from, word.from);
            QCOMPARE(clicked.to, word.to);
            const AccessibleTextItems::Range read =
                AccessibleTextItems::at(model, at, QAccessible::WordBoundary);
            QCOMPARE(read.from, word.from);
            QCOMPARE(read.to, i + 1 < words.size() ? words[i + 1].from : qint64(text.size()));
        }
        const TextSearch search(model, {text.sliced(word.from, word.to - word.from), true, true});
        QVERIFY(search.isMatch(word.from, word.to));
    }
}

void TestTextView::preeditIsDrawnAtCaret()
{
    Shown composing(QStringLiteral("cd"));
    QInputMethodEvent preedit(QStringLiteral("ab"), {});
    QApplication::sendEvent(&composing.view, &preedit);
    Shown typed(QStringLiteral("abcd"));
    composing.view.clearFocus();
    typed.view.clearFocus();
    const QImage withPreedit = composing.view.viewport()->grab().toImage();
    const QImage withText = typed.view.viewport()->grab().toImage();
    const int top = typed.view.lineTop(0);
    const int ascent = QFontMetrics(typed.view.font()).ascent();
    const QRect letters(0, top, withText.width(), ascent);
    QCOMPARE(withPreedit.copy(letters), withText.copy(letters));
    const QRect below(0, top + ascent, withText.width(), typed.view.lineHeight() - ascent);
    QVERIFY(withPreedit.copy(below) != withText.copy(below));
    QCOMPARE(composing.model.text(), QStringLiteral("cd"));
}

// Characters, words and lines as assistive technology reads them.
void TestTextView::accessibleItems_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("offset");
    QTest::addColumn<QAccessible::TextBoundaryType>("kind");
    QTest::addColumn<int>("which"); // -1 before, 0 at, 1 after
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    const auto character = QAccessible::CharBoundary;
    const auto word = QAccessible::WordBoundary;
    const auto line = QAccessible::LineBoundary;
    const QString breaks = QStringLiteral("uno\r\ndue\ntre");
    const QString marks = QStringLiteral("xe\u0301\U0001D11E");
    QTest::newRow("character with its mark") << marks << 2 << character << 0 << 1 << 3;
    QTest::newRow("surrogate pair from its second half") << marks << 4 << character << 0 << 3 << 5;
    QTest::newRow("character before") << marks << 3 << character << -1 << 1 << 3;
    QTest::newRow("CR LF is one character") << breaks << 4 << character << 0 << 3 << 5;
    QTest::newRow("character after a line's end") << breaks << 3 << character << 1 << 5 << 6;
    QTest::newRow("no character at the end") << breaks << 12 << character << 0 << 12 << 12;
    const QString blanks = QStringLiteral("  uno,  due\r\n\r\ntre");
    QTest::newRow("word with the line break after it") << breaks << 6 << word << 0 << 5 << 9;
    QTest::newRow("word at the end") << breaks << 12 << word << 0 << 9 << 12;
    QTest::newRow("word before, across a line break") << breaks << 6 << word << -1 << 0 << 5;
    QTest::newRow("word after, on the next line") << breaks << 1 << word << 1 << 5 << 9;
    QTest::newRow("word at a line's end") << breaks << 3 << word << 0 << 0 << 5;
    QTest::newRow("word with its punctuation and blanks") << blanks << 3 << word << 0 << 2 << 8;
    QTest::newRow("word from a blank after it") << blanks << 7 << word << 0 << 2 << 8;
    QTest::newRow("blanks at a line's start") << blanks << 1 << word << 0 << 0 << 2;
    QTest::newRow("an empty line's break") << blanks << 13 << word << 0 << 13 << 15;
    QTest::newRow("word before an empty line") << blanks << 13 << word << -1 << 8 << 13;
    QTest::newRow("line with its break") << breaks << 6 << line << 0 << 5 << 9;
    QTest::newRow("line before") << breaks << 6 << line << -1 << 0 << 5;
    QTest::newRow("line after") << breaks << 6 << line << 1 << 9 << 12;
    QTest::newRow("last line at the end") << breaks << 12 << line << 0 << 9 << 12;
    const QString longText = longLine(10000) + QStringLiteral("\r\nz");
    const int piece = int(AccessibleTextItems::LinePiece);
    QTest::newRow("piece of a long line") << longText << 5000 << line << 0 << piece << 2 * piece;
    QTest::newRow("last piece keeps the break")
        << longText << 10000 << line << 0 << 2 * piece << 10002;
    QTest::newRow("piece before") << longText << 5000 << line << -1 << 0 << piece;
    QTest::newRow("whole text") << breaks << 6 << QAccessible::NoBoundary << 0 << 0 << 12;
}

void TestTextView::accessibleItems()
{
    QFETCH(QString, text);
    QFETCH(int, offset);
    QFETCH(QAccessible::TextBoundaryType, kind);
    QFETCH(int, which);
    QFETCH(int, from);
    QFETCH(int, to);
    TextModel model;
    TextView view(model);
    view.setText(text);
    QAccessibleTextInterface *reader =
        QAccessible::queryAccessibleInterface(&view)->textInterface();
    QVERIFY(reader);
    int start = -2;
    int end = -2;
    const QString found = which < 0   ? reader->textBeforeOffset(offset, kind, &start, &end)
                          : which > 0 ? reader->textAfterOffset(offset, kind, &start, &end)
                                      : reader->textAtOffset(offset, kind, &start, &end);
    QCOMPARE(start, from);
    QCOMPARE(end, to);
    QCOMPARE(found, text.mid(from, to - from));
}

// Assistive technology reads the caret and the selection, sets them, edits
// the text, and finds characters on the screen.
void TestTextView::accessibleInterface()
{
    Shown shown(QStringLiteral("uno\r\ndue"));
    TextView &view = shown.view;
    QAccessibleInterface *box = QAccessible::queryAccessibleInterface(&view);
    QCOMPARE(box->role(), QAccessible::EditableText);
    QVERIFY(box->state().multiLine && box->state().editable && box->state().focusable);
    QAccessibleTextInterface *text = box->textInterface();
    QAccessibleEditableTextInterface *editor = box->editableTextInterface();
    QVERIFY(text && editor && !box->valueInterface()); // a text, not a number
    QCOMPARE(text->characterCount(), 8);
    QCOMPARE(text->text(3, -1), QStringLiteral("\r\ndue"));
    text->setSelection(0, 1, 6);
    int from = 0;
    int to = 0;
    text->selection(0, &from, &to);
    QCOMPARE(QList<int>({text->selectionCount(), from, to, text->cursorPosition()}),
             QList<int>({1, 1, 6, 6}));
    text->removeSelection(0);
    QCOMPARE(text->selectionCount(), 0);
    text->setCursorPosition(4); // inside the CR LF pair
    QCOMPARE(view.cursor().position(), 3);

    editor->insertText(0, QStringLiteral("ecco "));
    editor->replaceText(5, 8, QStringLiteral("UNO"));
    editor->deleteText(8, 10);
    QCOMPARE(shown.model.text(), QStringLiteral("ecco UNOdue"));

    const QRect rect = text->characterRect(6);
    QVERIFY(rect.width() > 0 && rect.height() == view.lineHeight());
    // Each character's corners are that character, whatever its width.
    view.setText(QStringLiteral("Wil lima, MMiiww.\r\nx"));
    for (int offset = 0; offset < 17; ++offset) {
        const QRect box = text->characterRect(offset);
        QCOMPARE(text->offsetAtPoint(box.topLeft()), offset);
        QCOMPARE(text->offsetAtPoint(box.bottomRight()), offset);
    }
    view.setText(QStringLiteral("ecco UNOdue"));
    QCOMPARE(text->offsetAtPoint(view.viewport()->mapToGlobal(QPoint(-5, -5))), -1);

    // What the bus cannot carry comes as U+FFFD, one for one.
    const QString unreadable = QStringLiteral("a") + QChar(0) + QChar(0xDC80) + "\U0001D11Eb";
    view.setText(unreadable + QStringLiteral("\r\nz"));
    const QString readable = QStringLiteral("a\uFFFD\uFFFD\U0001D11Eb");
    QCOMPARE(text->text(0, 12000), readable + QStringLiteral("\r\nz"));
    int start = 0;
    int end = 0;
    QCOMPARE(text->textAtOffset(1, QAccessible::LineBoundary, &start, &end),
             readable + QStringLiteral("\r\n"));
    QCOMPARE(text->textAfterOffset(0, QAccessible::CharBoundary, &start, &end), u"\uFFFD");
    QCOMPARE(box->text(QAccessible::Value), readable + QStringLiteral("\r\nz"));
    QCOMPARE(shown.model.text().left(6), unreadable); // the text itself is as it was

    // Every answer about the whole text stops at the one limit.
    const int limit = int(AccessibleText::Limit);
    view.setText(longLine(limit + 10));
    QCOMPARE(text->text(5, -1).size(), limit);
    QCOMPARE(text->textAtOffset(0, QAccessible::NoBoundary, &start, &end).size(), limit);
    QCOMPARE(QList<int>({start, end}), QList<int>({0, limit}));
    QVERIFY(box->text(QAccessible::Value).isEmpty());
}

namespace {

// Texts in tables write CR and LF as \\r and \\n.
QString unescaped(QString text)
{
    return text.replace(QStringLiteral("\\r"), QStringLiteral("\r"))
        .replace(QStringLiteral("\\n"), QStringLiteral("\n"));
}

QString escaped(QString text)
{
    return text.replace(QStringLiteral("\r"), QStringLiteral("\\r"))
        .replace(QStringLiteral("\n"), QStringLiteral("\\n"));
}

// What assistive technology hears, in short: +position:text inserted,
// -position:text removed, c caret, s selection, v a value, which a text box
// has none of.
void hear(QAccessibleEvent *event, QStringList &heard)
{
    if (event->type() == QAccessible::TextInserted) {
        const auto *insert = static_cast<QAccessibleTextInsertEvent *>(event);
        heard << QStringLiteral("+%1:%2").arg(insert->changePosition()).arg(insert->textInserted());
    } else if (event->type() == QAccessible::TextRemoved) {
        const auto *remove = static_cast<QAccessibleTextRemoveEvent *>(event);
        heard << QStringLiteral("-%1:%2").arg(remove->changePosition()).arg(remove->textRemoved());
    } else if (event->type() == QAccessible::TextSelectionChanged) {
        const auto *selection = static_cast<QAccessibleTextSelectionEvent *>(event);
        heard << QStringLiteral("s%1-%2")
                     .arg(selection->selectionStart())
                     .arg(selection->selectionEnd());
    } else if (event->type() == QAccessible::TextCaretMoved) {
        heard << QStringLiteral("c%1").arg(
            static_cast<QAccessibleTextCursorEvent *>(event)->cursorPosition());
    } else if (event->type() == QAccessible::ValueChanged) {
        heard << QStringLiteral("v");
    }
}

} // namespace

// Edits, caret moves and selections reach assistive technology as ranges,
// with the text that came or went, a removed CR LF and large texts included;
// the caret comes before the selection it makes.
void TestTextView::accessibleEvents()
{
    ScreenReader reader(hear);
    QStringList &events = reader.heard;
    TextModel model;
    TextView view(model);
    view.setText(QStringLiteral("uno\r\ndue"));
    view.moveCaret(5);
    events.clear();
    QTest::keyClick(&view, Qt::Key_Backspace);
    QTest::keyClick(&view, Qt::Key_X);
    QTest::keyClick(&view, Qt::Key_Home, Qt::ShiftModifier);
    QTest::keyClick(&view, Qt::Key_Right);
    QCOMPARE(events, QStringList({"-3:\r\n", "c3", "+3:x", "c4", "c0", "s0-4", "c4", "s4-4"}));

    const qint64 limit = AccessibleText::Limit;
    const QString large = longLine(int(limit) + 10);
    events.clear();
    view.setText(large);
    QCOMPARE(events.mid(1, 1), QStringList({"+0:" + large.left(limit)}));
    QCOMPARE(view.model().length(), limit + 10);
    events.clear();
    view.setText(QStringLiteral("x"));
    QCOMPARE(events.first(), "-0:" + large.left(limit));
}

namespace {

// Lines "riga 0000\r\n" from the first to before the last: 11 characters each.
QString numberedLines(int first, int last)
{
    QString text;
    for (int line = first; line < last; ++line)
        text += QStringLiteral("riga %1\r\n").arg(line, 4, 10, QLatin1Char('0'));
    return text;
}

} // namespace

// A text past the limit is read through a window of whole lines around the
// caret, about a span long (a long line's part around it): every call
// answers the text's own characters, its offsets counted from the window's
// start. Within the limit the text is read whole, as it always was.
void TestTextView::accessibleWindowReads_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<qint64>("limit");
    QTest::addColumn<int>("caret");
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    const QString lines = numberedLines(0, 40);
    QTest::newRow("lines around the caret") << lines << qint64(200) << 220 << 198 << 253;
    QTest::newRow("from the start") << lines << qint64(200) << 0 << 0 << 55;
    QTest::newRow("to the end") << lines << qint64(200) << 440 << 385 << 440;
    QTest::newRow("within the limit, whole") << lines << qint64(440) << 220 << 0 << 440;
    const QString longLine = QStringLiteral("ab\r\n") + ::longLine(200) + QStringLiteral("\r\ncd");
    QTest::newRow("inside a line longer than the span")
        << longLine << qint64(100) << 100 << 73 << 128;
}

void TestTextView::accessibleWindowReads()
{
    QFETCH(QString, text);
    QFETCH(qint64, limit);
    QFETCH(int, caret);
    QFETCH(int, from);
    QFETCH(int, to);
    Shown shown(text);
    TextView &view = shown.view;
    view.accessibleWindow().setBounds({limit, 55});
    view.moveCaret(caret);
    QAccessibleTextInterface *reader =
        QAccessible::queryAccessibleInterface(&view)->textInterface();
    const QString seen = text.mid(from, to - from);
    QCOMPARE(reader->characterCount(), to - from);
    QCOMPARE(reader->text(0, -1), seen);
    QCOMPARE(reader->cursorPosition(), caret - from);
    const QList<QAccessible::TextBoundaryType> kinds = {
        QAccessible::CharBoundary, QAccessible::WordBoundary, QAccessible::SentenceBoundary,
        QAccessible::LineBoundary, QAccessible::NoBoundary};
    for (int offset = 0; offset <= to - from; ++offset) {
        for (const QAccessible::TextBoundaryType kind : kinds) {
            for (int which = -1; which <= 1; ++which) {
                int start = -1;
                int end = -1;
                const QString item =
                    which < 0   ? reader->textBeforeOffset(offset, kind, &start, &end)
                    : which > 0 ? reader->textAfterOffset(offset, kind, &start, &end)
                                : reader->textAtOffset(offset, kind, &start, &end);
                // An item before the offset ends by it, one after starts after it.
                const bool placed = which < 0 ? end <= offset : which == 0 || start >= offset;
                QVERIFY2(placed && start >= 0 && start <= end && end <= to - from,
                         qPrintable(QStringLiteral("%1 %2 %3").arg(offset).arg(kind).arg(which)));
                QCOMPARE(item, seen.mid(start, end - start));
            }
        }
    }
    const QRect box = reader->characterRect(caret - from);
    QCOMPARE(reader->offsetAtPoint(box.center()), caret - from);
    reader->setSelection(0, 1, 4);
    int start = 0;
    int end = 0;
    reader->selection(0, &start, &end);
    QCOMPARE(QList<qint64>({start, end, view.cursor().anchor(), view.cursor().position()}),
             QList<qint64>({1, 4, from + 1, from + 4}));
    QCOMPARE(view.accessibleWindow().start(), from); // a move within it keeps it
    QAccessible::queryAccessibleInterface(&view)->editableTextInterface()->insertText(
        2, QStringLiteral("Z"));
    QCOMPARE(shown.model.text().mid(from, 3), text.mid(from, 2) + QStringLiteral("Z"));
}

// The caret that leaves the window moves it: its text goes, the caret
// stands in the empty text, the new text comes, then the caret in it, and
// after Ctrl+Home, Ctrl+End and Ctrl+G the line number is said. Within the
// window, and within the limit, offsets and events are as ever. Each row
// does what a person does, then the last action, whose events are checked
// ("k:keys" presses keys, "t:text" types, "l:text" is text a load appends).
void TestTextView::accessibleWindowMoves_data()
{
    QTest::addColumn<qint64>("limit");
    QTest::addColumn<int>("caret");
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<QString>("action");
    QTest::addColumn<QStringList>("heard");
    const qint64 limit = 1000; // the text holds 1200 lines of 11 characters
    const QString start = numberedLines(0, 5);
    const QString end = numberedLines(1195, 1200);
    QTest::newRow("Ctrl+End") << limit << 0 << QStringList() << "k:Ctrl+End"
                              << QStringList({"-0:" + start, "+0:" + end, "c55", "Riga 1.201"});
    QTest::newRow("Ctrl+Home") << limit << 13200 << QStringList() << "k:Ctrl+Home"
                               << QStringList({"-0:" + end, "+0:" + start, "c0", "Riga 1"});
    QTest::newRow("Ctrl+Home after Select All")
        << limit << 0 << QStringList("k:Ctrl+A") << "k:Ctrl+Home"
        << QStringList({"s0-0", "-0:" + end, "+0:" + start, "c0", "Riga 1"});
    // The caret keeps the offset it had: it is told in the empty text.
    QTest::newRow("Ctrl+G to the same offset")
        << limit << 22 << QStringList() << "k:Ctrl+G, 2, 0, Return"
        << QStringList({"-0:" + start, "c0", "+0:" + numberedLines(17, 22), "Riga 20"});
    QTest::newRow("Down within the window")
        << limit << 0 << QStringList() << "k:Down" << QStringList({"c11"});
    QTest::newRow("Down over the window's edge")
        << limit << 0 << QStringList({"k:Down", "k:Down", "k:Down", "k:Down"}) << "k:Down"
        << QStringList({"-0:" + start, "+0:" + numberedLines(3, 8), "c22"});
    QTest::newRow("typing in a window that moved")
        << limit << 13200 << QStringList() << "t:x" << QStringList({"+55:x", "c56"});
    QTest::newRow("Select All and Delete: the text is seen whole again")
        << limit << 0 << QStringList("k:Ctrl+A") << "k:Delete"
        << QStringList({"-0:" + end, "c0", "s0-0"});
    QTest::newRow("Ctrl+End within the limit")
        << qint64(13200) << 0 << QStringList() << "k:Ctrl+End" << QStringList({"c13200"});
    // Neither the text a load appends nor the window it moves is told.
    QTest::newRow("a load past the limit")
        << qint64(13200) << 0 << QStringList() << "l:" + numberedLines(0, 10) << QStringList();
}

void TestTextView::accessibleWindowMoves()
{
    QFETCH(qint64, limit);
    QFETCH(int, caret);
    QFETCH(QStringList, before);
    QFETCH(QString, action);
    ScreenReader reader([](QAccessibleEvent *event, QStringList &heard) {
        if (qobject_cast<TextView *>(event->object())) // not its scroll bars, nor a dialog's
            hear(event, heard);
        ScreenReader::announcements(event, heard);
    });
    Shown shown(numberedLines(0, 1200));
    TextView &view = shown.view;
    view.setLocale(QLocale(QLocale::Italian));
    view.accessibleWindow().setBounds({limit, 55});
    view.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&view));
    view.moveCaret(caret);
    auto act = [&](const QString &step) {
        const QString argument = step.mid(2);
        if (step.startsWith(u"t:"))
            return QTest::keyClicks(&view, argument);
        if (step.startsWith(u"l:")) {
            TextModelAppender appender(view.model());
            appender.append(argument);
            return appender.flush();
        }
        const QKeySequence keys(argument);
        for (int i = 0; i < keys.count(); ++i) {
            auto *dialog = view.findChild<GoToLineDialog *>();
            QWidget *target = &view;
            if (dialog && dialog->isVisible())
                target = dialog->lineField;
            QTest::keyClick(target, keys[i].key(), keys[i].keyboardModifiers());
        }
    };
    for (const QString &step : before)
        act(step);
    reader.heard.clear();
    act(action);
    QFETCH(QStringList, heard);
    QTRY_COMPARE(reader.heard, heard);
}

// Every edit, whatever makes it, reaches a screen reader with the text that
// went and the text that came, then the caret and the selection: the
// reader's copy of the text stays right. The text a load appends is no
// edit: told, a reader would echo it as typed; it reads the file's text
// when it asks for it. Each row does what a person does, then the last
// action, whose events are checked: "t:text" types, "k:keys" presses keys,
// "p:text" pastes, "x" cuts, "r:a>b" replaces every a with b, "l:text" is
// text a load appends.
void TestTextView::everyEditIsTold_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("anchor");
    QTest::addColumn<int>("position");
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<QString>("action");
    QTest::addColumn<QStringList>("heard");
    const QString words = QStringLiteral("uno due uno");
    QTest::newRow("a key typed") << words << 3 << 3 << QStringList() << "t:x"
                                 << QStringList({"+3:x", "c4"});
    QTest::newRow("the first key of an empty document")
        << QString() << 0 << 0 << QStringList() << "t:x" << QStringList({"+0:x", "c1"});
    QTest::newRow("Ctrl+Z of a word typed")
        << words << 3 << 3 << QStringList("t:xyz") << "k:Ctrl+Z" << QStringList({"-3:xyz", "c3"});
    QTest::newRow("Ctrl+Y of it") << words << 3 << 3 << QStringList({"t:xyz", "k:Ctrl+Z"})
                                  << "k:Ctrl+Y" << QStringList({"+3:xyz", "c6"});
    QTest::newRow("Ctrl+Z of a paste over a selection")
        << words << 4 << 7 << QStringList("p:tre") << "k:Ctrl+Z"
        << QStringList({"-4:tre", "+4:due", "c7", "s4-7"});
    QTest::newRow("paste over a selection") << words << 4 << 7 << QStringList() << "p:tre"
                                            << QStringList({"-4:due", "+4:tre", "c7", "s7-7"});
    QTest::newRow("cut") << words << 0 << 4 << QStringList() << "x"
                         << QStringList({"-0:uno ", "c0", "s0-0"});
    QTest::newRow("Sostituisci tutto") << words << 0 << 0 << QStringList() << "r:uno>a"
                                       << QStringList({"-0:uno due uno", "+0:a due a"});
    // The caret comes back where it was before, which is where it is.
    QTest::newRow("Ctrl+Z of Sostituisci tutto")
        << words << 0 << 0 << QStringList("r:uno>a") << "k:Ctrl+Z"
        << QStringList({"-0:a due a", "+0:uno due uno"});
    QTest::newRow("text a load appends")
        << words << 0 << 0 << QStringList() << "l:\\r\\ntre" << QStringList();
}

void TestTextView::everyEditIsTold()
{
    QFETCH(QString, text);
    QFETCH(int, anchor);
    QFETCH(int, position);
    QFETCH(QStringList, before);
    QFETCH(QString, action);
    ScreenReader reader(hear);
    Shown shown(text);
    TextView &view = shown.view;
    view.select(anchor, position);
    auto act = [&](const QString &step) {
        const QString argument = unescaped(step.mid(2));
        if (step.startsWith(u"t:")) {
            QTest::keyClicks(&view, argument);
        } else if (step.startsWith(u"k:")) {
            QTest::keySequence(&view, QKeySequence(argument));
        } else if (step.startsWith(u"p:")) {
            QApplication::clipboard()->setText(argument);
            TextBoxCommands::paste(view);
        } else if (step == u"x") {
            TextBoxCommands::cut(view);
        } else if (step.startsWith(u"r:")) {
            const QStringList parts = argument.split(u'>');
            FindCommands::replaceAll(view, {parts[0], true, false}, parts[1]);
        } else if (step.startsWith(u"l:")) {
            TextModelAppender appender(view.model());
            appender.append(argument);
            appender.flush();
        }
    };
    for (const QString &step : before)
        act(step);
    reader.heard.clear();
    act(action);
    QStringList heard;
    for (const QString &event : std::as_const(reader.heard))
        heard << escaped(event);
    QTEST(heard, "heard");
}

enum class Drag { FromOutside, Within, IntoOtherView };

// Text dropped in goes in where it is dropped; a selection dragged within
// the view moves there (or is copied), and one dragged into another view
// leaves this one.
void TestTextView::drops_data()
{
    QTest::addColumn<Drag>("drag");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("from"); // the selection dragged, or the caret
    QTest::addColumn<int>("to");
    QTest::addColumn<int>("target");
    QTest::addColumn<Qt::KeyboardModifier>("modifier");
    QTest::addColumn<QString>("result");
    QTest::addColumn<int>("position");
    const QString words = QStringLiteral("uno due tre");
    const auto move = Qt::ShiftModifier;
    const auto copy = Qt::ControlModifier;
    QTest::newRow("from outside") << Drag::FromOutside << words << 0 << 2 << 3 << copy
                                  << "unoXY due tre" << 5;
    QTest::newRow("moved forward")
        << Drag::Within << words << 0 << 4 << 8 << move << "due uno tre" << 8;
    QTest::newRow("moved back") << Drag::Within << words << 4 << 8 << 0 << move << "due uno tre"
                                << 4;
    QTest::newRow("copied within")
        << Drag::Within << words << 0 << 3 << 11 << copy << "uno due treuno" << 14;
    QTest::newRow("dropped on itself")
        << Drag::Within << words << 0 << 4 << 2 << move << words << 4;
    QTest::newRow("moved past the CR LF it joins")
        << Drag::Within << QStringLiteral("a\rX\nb") << 2 << 3 << 4 << move
        << QStringLiteral("a\r\nXb") << 4;
    QTest::newRow("moved into another view")
        << Drag::IntoOtherView << words << 3 << 7 << 0 << move << "uno tre" << 3;
    QTest::newRow("copied into another view")
        << Drag::IntoOtherView << words << 3 << 7 << 0 << copy << words << 7;
}

void TestTextView::drops()
{
    QFETCH(Drag, drag);
    QFETCH(QString, text);
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(int, target);
    QFETCH(Qt::KeyboardModifier, modifier);
    Shown shown(text);
    Shown other(QStringLiteral("altro"));
    TextView &view = shown.view;
    TextView &into = drag == Drag::IntoOtherView ? other.view : view;
    view.select(from, to);
    // What the platform makes of the modifier, which the offscreen one does not.
    const Qt::DropAction proposed = modifier == Qt::ShiftModifier ? Qt::MoveAction : Qt::CopyAction;
    auto dropAt = [&](const QMimeData *data, Qt::DropActions actions) {
        const QPoint point = into.viewport()->mapTo(&into, pointAt(into, target));
        QDragEnterEvent enter(point, actions, data, Qt::LeftButton, modifier);
        enter.setDropAction(proposed);
        QApplication::sendEvent(&into, &enter);
        QDropEvent drop(point, actions, data, Qt::LeftButton, modifier);
        drop.setDropAction(proposed);
        QApplication::sendEvent(&into, &drop);
        return drop.isAccepted() ? drop.dropAction() : Qt::IgnoreAction;
    };
    if (drag == Drag::FromOutside) {
        QMimeData data;
        data.setText(QStringLiteral("XY"));
        QCOMPARE(dropAt(&data, Qt::CopyAction), Qt::CopyAction);
    } else {
        QString dragged;
        view.dragAndDrop().setExec([&](QDrag &drag) {
            dragged = drag.mimeData()->text();
            return dropAt(drag.mimeData(), Qt::CopyAction | Qt::MoveAction);
        });
        const QPoint press = pointAt(view, from) + QPoint(2, 0);
        sendMouse(view, QEvent::MouseButtonPress, press, Qt::LeftButton);
        sendMouse(view, QEvent::MouseMove, press + QPoint(0, 3 * QApplication::startDragDistance()),
                  Qt::LeftButton);
        QCOMPARE(dragged, text.mid(from, to - from));
    }
    QTEST(shown.model.text(), "result");
    QTEST(int(view.cursor().position()), "position");
    if (drag == Drag::IntoOtherView)
        QCOMPARE(other.model.text(), text.mid(from, to - from) + QStringLiteral("altro"));
    // A move within the view is one step to undo, like any other drop, and
    // gives back the selection from before it.
    view.undo();
    QCOMPARE(shown.model.text(), text);
    QVERIFY(!view.canUndo());
    QCOMPARE(view.cursor().anchor(), from);
    QCOMPARE(view.cursor().position(), to);
}

// A script of what a person does, one action a word: "t:text" types text a
// key at a time, "k:keys" presses keys, "p:text" pastes text, "pause" waits
// two seconds. After it, each further Ctrl+Z must give the next text.
void TestTextView::undoStepsAsTyped_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("caret");
    QTest::addColumn<QStringList>("script");
    QTest::addColumn<QStringList>("undone");
    QTest::newRow("a word a step, the blank after it with it")
        << "" << 0 << QStringList{"t:uno due  tre"} << QStringList{"uno due  ", "uno ", ""};
    QTest::newRow("an apostrophe ends a word, a letter beyond U+FFFF does not")
        << "" << 0 << QStringList{"t:dell'uomo a\U00010428b"}
        << QStringList{"dell'uomo ", "dell'", ""};
    QTest::newRow("a pictograph ends a word")
        << "" << 0 << QStringList{"t:uno\U0001F600due"} << QStringList{"uno\U0001F600", ""};
    QTest::newRow("a pause ends a step")
        << "" << 0 << QStringList{"t:abc", "pause", "t:def"} << QStringList{"abc", ""};
    QTest::newRow("a move ends a step")
        << "" << 0 << QStringList{"t:ab", "k:Left", "k:Right", "t:cd"} << QStringList{"ab", ""};
    QTest::newRow("typing then Backspace are two steps")
        << "" << 0 << QStringList{"t:abc", "k:Backspace, Backspace"} << QStringList{"abc", ""};
    QTest::newRow("a Backspace run over a line break is one step")
        << "uno\r\ndue" << 8 << QStringList{"k:Backspace, Backspace, Backspace, Backspace"}
        << QStringList{"uno\r\ndue"};
    QTest::newRow("a Delete run is one step")
        << "uno due" << 0 << QStringList{"k:Delete, Delete, Delete"} << QStringList{"uno due"};
    QTest::newRow("Enter is a step of its own")
        << "" << 0 << QStringList{"t:ab", "k:Return", "t:cd"} << QStringList{"ab\r\n", "ab", ""};
    QTest::newRow("each paste is a step, typing after it another")
        << "ab" << 2 << QStringList{"p:uno due", "p:\r\nX", "t:yz"}
        << QStringList{"abuno due\r\nX", "abuno due", "ab"};
    QTest::newRow("Select All and a key, then typing")
        << "testo" << 0 << QStringList{"k:Ctrl+A", "t:xy"} << QStringList{"x", "testo"};
    QTest::newRow("Ctrl+Shift+Z and Ctrl+Y redo")
        << "" << 0 << QStringList{"t:uno due", "k:Ctrl+Z, Ctrl+Z, Ctrl+Shift+Z, Ctrl+Y"}
        << QStringList{"uno ", ""};
    QTest::newRow("an edit after Ctrl+Z leaves nothing to redo")
        << "" << 0 << QStringList{"t:uno due", "k:Ctrl+Z", "t:X", "k:Ctrl+Y"}
        << QStringList{"uno ", ""};
}

void TestTextView::undoStepsAsTyped()
{
    QFETCH(QString, text);
    QFETCH(int, caret);
    QFETCH(QStringList, script);
    QFETCH(QStringList, undone);
    TextModel model;
    TextView view(model);
    qint64 now = 0;
    model.history().setClock([&now] { return now; });
    view.setText(unescaped(text));
    view.moveCaret(caret);
    for (const QString &action : script) {
        const QString argument = unescaped(action.section(u':', 1));
        if (action == QStringLiteral("pause"))
            now += 2000;
        else if (action.startsWith(QStringLiteral("t:")))
            type(view, argument);
        else if (action.startsWith(QStringLiteral("k:")))
            QTest::keySequence(&view, QKeySequence(argument));
        else if (action.startsWith(QStringLiteral("p:"))) {
            QGuiApplication::clipboard()->setText(argument);
            TextBoxCommands::paste(view);
        }
    }
    for (const QString &expected : undone) {
        QVERIFY(view.canUndo());
        QTest::keyClick(&view, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(model.text(), unescaped(expected));
    }
    QVERIFY(!view.canUndo());
}

void TestTextView::undoRedoRandomEdits_data()
{
    QTest::addColumn<int>("chunkSize");
    QTest::addColumn<bool>("keys");
    QTest::addColumn<bool>("selText");
    QTest::newRow("keys, chunks of 4") << 4 << true << false;
    QTest::newRow("SelText, chunks of 4") << 4 << false << true;
    QTest::newRow("both, chunks of 7") << 7 << true << true;
    QTest::newRow("both, chunks of the program")
        << int(TextModel::DefaultChunkSize) << true << true;
}

// Random edits, each a step, with undo and redo now and then in between:
// every Ctrl+Z gives back the text and the selection from before its step,
// every Ctrl+Y those from after it, and an edit after an undo leaves
// nothing to redo. At the end, undoing everything gives the start back and
// redoing everything the end.
void TestTextView::undoRedoRandomEdits()
{
    QFETCH(int, chunkSize);
    QFETCH(bool, keys);
    QFETCH(bool, selText);
    struct State
    {
        QString text;
        qint64 anchor;
        qint64 position;
    };
    TextModel model(chunkSize);
    TextView view(model);
    qint64 now = 0;
    model.history().setClock([&now] { return now; });
    QRandomGenerator random(chunkSize * 31 + keys * 2 + selText);
    const QStringList pieces = {"a",      "uno ", "\r\n",   "\r",         "\n",
                                "\u00e9", "\t",   "\u0416", "\U0001F600", QString(400, u'x')};
    auto randomText = [&] {
        QString text;
        for (int i = random.bounded(4); i > 0; --i)
            text += pieces[random.bounded(int(pieces.size()))];
        return text;
    };
    view.setText(randomText() + randomText() + randomText());
    auto state = [&] {
        return State{model.text(), view.cursor().anchor(), view.cursor().position()};
    };
    auto same = [&](const State &expected) {
        return model.text() == expected.text && view.cursor().anchor() == expected.anchor &&
               view.cursor().position() == expected.position;
    };
    const State start = state();
    std::vector<std::pair<State, State>> done; // before and after each step
    qsizetype undone = 0;
    const QKeySequence editKeys[] = {QKeySequence(Qt::Key_Backspace), QKeySequence(Qt::Key_Delete),
                                     QKeySequence(Qt::Key_Return),
                                     QKeySequence(Qt::CTRL | Qt::Key_Backspace)};
    for (int step = 0; step < 300; ++step) {
        now += 2000; // every edit a step of its own
        const qint64 length = model.length();
        view.select(random.bounded(int(length + 1)), random.bounded(int(length + 1)));
        const int action = random.bounded(10);
        if (action < 2 && undone < qsizetype(done.size())) {
            QTest::keyClick(&view, Qt::Key_Z, Qt::ControlModifier);
            ++undone;
            const State &expected = done[done.size() - undone].first;
            QCOMPARE(model.text(), expected.text);
            QCOMPARE(view.cursor().anchor(), expected.anchor);
            QCOMPARE(view.cursor().position(), expected.position);
            continue;
        }
        if (action < 3 && undone > 0) {
            QTest::keyClick(&view, Qt::Key_Y, Qt::ControlModifier);
            QVERIFY(same(done[done.size() - undone].second));
            --undone;
            continue;
        }
        const State before = state();
        const qsizetype steps = model.history().undoCount();
        const bool byKeys = keys && (!selText || random.bounded(2) == 0);
        if (byKeys && random.bounded(2) == 0)
            QTest::keySequence(&view, editKeys[random.bounded(int(std::size(editKeys)))]);
        else if (byKeys) // one key: a run of them would be one step
            type(view, pieces[random.bounded(int(pieces.size()))].left(1));
        else
            view.setSelText(randomText());
        if (model.history().undoCount() == steps)
            continue; // nothing changed
        done.resize(done.size() - undone);
        undone = 0;
        done.emplace_back(before, state());
        QVERIFY(!view.canRedo());
    }
    for (; undone < qsizetype(done.size()); ++undone)
        QVERIFY(view.undo());
    QVERIFY(!view.canUndo());
    QCOMPARE(model.text(), start.text);
    QVERIFY(same(done.front().first));
    while (view.redo()) {
    }
    QVERIFY(same(done.back().second));
}

// Undo and redo bring the place they change into view, however far the
// caret went meanwhile.
void TestTextView::undoShowsWhatItChanges()
{
    QString lines;
    for (int i = 0; i < 500; ++i)
        lines += QStringLiteral("riga %1\r\n").arg(i);
    Shown shown(lines + longLine(3000));
    TextView &view = shown.view;
    const auto caretShown = [&view] { return view.viewport()->rect().contains(view.caretRect()); };
    QTest::keyClicks(&view, QStringLiteral("X"));
    QTest::keyClick(&view, Qt::Key_End, Qt::ControlModifier);
    QTest::keyClick(&view, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(view.cursor().position(), 0);
    QVERIFY(caretShown());
    QTest::keyClick(&view, Qt::Key_End, Qt::ControlModifier);
    QTest::keyClick(&view, Qt::Key_Y, Qt::ControlModifier);
    QCOMPARE(view.cursor().position(), 1);
    QVERIFY(caretShown());
}

QTEST_MAIN(TestTextView)
#include "tst_textview.moc"
