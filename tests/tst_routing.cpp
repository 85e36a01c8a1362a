#include "mainwindowfixture.h"

#include "app/clockpanel.h"
#include "app/formatmenu.h"
#include "app/notespanel.h"
#include "app/windowarrangement.h"
#include "document/frmdocument.h"
#include "text/textmodel.h"
#include "textfile/encoding.h"
#include "textview/textview.h"
#include "textview/textviewmenu.h"

#include <QAccessible>
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

// The main window's menus, toolbar and status bar, and where their commands go.
class TestRouting : public QObject
{
    Q_OBJECT

private slots:
    void menuTree();
    void toolbarEntries();
    void toolbarKeysAreExact_data();
    void toolbarKeysAreExact();
    void viewCommandsToggleFromTheirMark();
    void barsStayAtTheirEdges();
    void statusBarPanels();
    void notesStayBesideThePanels();
    void formatFollowsTheDocumentInFront();
    void windowListFollowsWindows();
    void windowListPastNine_data();
    void windowListPastNine();
    void moreWindowsPicksAnyDocument();
    void tileRectsCoverTheArea_data();
    void tileRectsCoverTheArea();
    void windowCommandsArrange();
    void cascadeFillsALargeFrame();
    void windowCommandsWithNoDocument();
};

// Every menu as "caption|shortcut" lines, separators as "-", checked items with "[x]".
static QStringList describe(const QMenu *menu)
{
    QStringList lines;
    for (const QAction *action : menu->actions()) {
        if (action->isSeparator()) {
            lines << QStringLiteral("-");
            continue;
        }
        QString line = action->text();
        if (!action->shortcut().isEmpty())
            line += u'|' + action->shortcut().toString(QKeySequence::PortableText);
        if (action->isCheckable() && action->isChecked())
            line += QStringLiteral(" [x]");
        lines << line;
        if (!action->isEnabled() || !action->isVisible())
            lines << QStringLiteral("DISABLED OR HIDDEN");
    }
    return lines;
}

void TestRouting::menuTree()
{
    MainWindowFixture f;
    frmMain &w = *f.window;
    const auto *toolbar = f.find<QToolBar>("tbToolBar");
    const auto *statusBar = f.find<QStatusBar>("sbStatusBar");
    QStringList topLevel;
    for (const QAction *action : w.menuBar()->actions())
        topLevel << action->text();
    QCOMPARE(topLevel, (QStringList{"&File", "&Modifica", "&Visualizza", "Fi&nestra", "&?"}));
    QCOMPARE(describe(f.find<QMenu>("mnuFile")),
             (QStringList{"Nu&ovo|Ctrl+N", "&Apri|Ctrl+O", "&Chiudi", "-", "&Salva|Ctrl+S",
                          "Sal&va con nome...", "-", "S&tampa...|Ctrl+P", "-", "&Esci"}));
    QCOMPARE(describe(f.find<QMenu>("mnuEdit")),
             (QStringList{"&Taglia|Ctrl+X", "&Copia|Ctrl+C", "&Incolla|Ctrl+V", "-",
                          "&Seleziona Tutto", "Ora/&Data|F5"}));
    QCOMPARE(describe(f.find<QMenu>("mnuView")),
             (QStringList{"Barra degli &strumenti [x]", "&Barra di stato [x]"}));
    QStringList window = describe(f.find<QMenu>("mnuWindow"));
    QCOMPARE(window.mid(0, 4), (QStringList{"&Sovrapponi", "Affianca &orizzontalmente",
                                            "Affianca &verticalmente", "&Disponi icone"}));
    QCOMPARE(describe(f.find<QMenu>("mnuHelp")), QStringList{"&Informazioni su Vidizizor..."});
    QVERIFY(toolbar->isVisibleTo(&w));
    QVERIFY(statusBar->isVisibleTo(&w));
}

void TestRouting::toolbarEntries()
{
    MainWindowFixture f;
    frmMain &w = *f.window;
    const auto *toolbar = f.find<QToolBar>("tbToolBar");
    QStringList entries;
    for (QAction *action : toolbar->actions()) {
        if (action->isSeparator()) {
            entries << QStringLiteral("-");
            continue;
        }
        entries << action->data().toString() + u'=' + action->toolTip();
        auto *button = qobject_cast<QToolButton *>(toolbar->widgetForAction(action));
        QVERIFY(button);
        QCOMPARE(button->toolButtonStyle(), Qt::ToolButtonIconOnly);
        QVERIFY(!button->isCheckable());
        const double scale = w.logicalDpiX() / 96.0;
        QCOMPARE(button->size(), QSize(qRound(24 * scale), qRound(22 * scale)));
    }
    QCOMPARE(entries, (QStringList{"New=Nuovo", "Open=Apri", "Save=Salva", "-", "Print=Stampa", "-",
                                   "Cut=Taglia", "Copy=Copia", "Paste=Incolla"}));
}

void TestRouting::toolbarKeysAreExact_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<int>("documents");
    QTest::newRow("New") << "New" << 2;
    QTest::newRow("lower case") << "new" << 1;
    QTest::newRow("trailing blank") << "New " << 1;
    QTest::newRow("empty (separator)") << "" << 1;
}

void TestRouting::toolbarKeysAreExact()
{
    QFETCH(QString, key);
    QFETCH(int, documents);
    MainWindowFixture f;
    frmMain &w = *f.window;
    w.Show();
    QAction button;
    button.setData(key);
    w.tbToolBar_ButtonClick(&button);
    QCOMPARE(w.documents().size(), documents);
    QVERIFY(f.dialog->shown.isEmpty());
}

void TestRouting::viewCommandsToggleFromTheirMark()
{
    MainWindowFixture f;
    frmMain &w = *f.window;
    const auto *toolbar = f.find<QToolBar>("tbToolBar");
    const auto *statusBar = f.find<QStatusBar>("sbStatusBar");
    w.Show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    const int fullArea = w.documentArea()->height();

    f.find("mnuViewToolbar")->trigger(); // as a click on the menu item
    QVERIFY(!toolbar->isVisible());
    QVERIFY(!f.find("mnuViewToolbar")->isChecked());
    QVERIFY(statusBar->isVisible());
    QVERIFY(f.find("mnuViewStatusBar")->isChecked());

    w.mnuViewStatusBar_Click(); // as a direct call
    QVERIFY(!statusBar->isVisible());
    QVERIFY(!f.find("mnuViewStatusBar")->isChecked());
    QTRY_VERIFY(w.documentArea()->height() > fullArea);
    QCOMPARE(w.documentArea()->geometry().bottom(), w.rect().bottom());

    w.mnuViewToolbar_Click();
    QVERIFY(toolbar->isVisible());
    QVERIFY(f.find("mnuViewToolbar")->isChecked());
    f.find("mnuViewStatusBar")->trigger();
    QVERIFY(statusBar->isVisible());
    QVERIFY(f.find("mnuViewStatusBar")->isChecked());
    QTRY_COMPARE(w.documentArea()->height(), fullArea);

    // The mark decides, not the bar: with the bar hidden behind the command's
    // back, a checked item still hides it and clears its mark.
    f.find<QToolBar>("tbToolBar")->hide();
    w.mnuViewToolbar_Click();
    QVERIFY(!toolbar->isVisible());
    QVERIFY(!f.find("mnuViewToolbar")->isChecked());
}

void TestRouting::barsStayAtTheirEdges()
{
    MainWindowFixture f;
    frmMain &w = *f.window;
    const auto *toolbar = f.find<QToolBar>("tbToolBar");
    const auto *statusBar = f.find<QStatusBar>("sbStatusBar");
    w.Show();
    for (const QSize size : {QSize(900, 700), QSize(400, 300)}) {
        w.resize(size);
        QTRY_COMPARE(w.size(), size);
        QTRY_COMPARE(toolbar->width(), w.width());
        QCOMPARE(statusBar->width(), w.width());
        QVERIFY(toolbar->geometry().top() <= w.menuBar()->geometry().bottom() + 1);
        QCOMPARE(statusBar->geometry().bottom(), w.rect().bottom());
    }
}

// The panels show "Stato", the date and the time in hours and minutes, and
// keep themselves current: at the turn of the minute (here also of the day)
// their own timer reads the clock again.
void TestRouting::statusBarPanels()
{
    MainWindowFixture f;
    f.clock->date = QDate(2026, 3, 4);
    f.clock->time = QTime(23, 59, 58, 800);
    frmMain &w = *f.window;
    w.Show();
    const auto *datePanel = f.find<QLabel>("datePanel");
    const auto *timePanel = f.find<QLabel>("timePanel");
    const QLocale locale = QLocale::system();
    QCOMPARE(f.find<QLabel>("statusPanel")->text(), QStringLiteral("Stato"));
    QCOMPARE(datePanel->text(), locale.toString(QDate(2026, 3, 4), QLocale::ShortFormat));
    QVERIFY2(timePanel->text().contains(QStringLiteral("59")) &&
                 !timePanel->text().contains(QStringLiteral("58")),
             qPrintable(timePanel->text()));           // minutes, no seconds
    const int minimum = qRound(w.logicalDpiX() * 1.0); // 1440 twips
    for (const char *name : {"statusPanel", "datePanel", "timePanel"})
        QVERIFY(f.find<QLabel>(name)->width() >= minimum - 1);

    f.clock->date = QDate(2026, 3, 5);
    f.clock->time = QTime(0, 0, 1);
    QTRY_COMPARE(datePanel->text(), locale.toString(QDate(2026, 3, 5), QLocale::ShortFormat));
    QVERIFY2(timePanel->text().contains(QStringLiteral("00")) &&
                 !timePanel->text().contains(QStringLiteral("59")),
             qPrintable(timePanel->text()));

    QCOMPARE(hoursAndMinutesFormat(QLocale::c()), QStringLiteral("HH:mm"));
    QCOMPARE(hoursAndMinutesFormat(QLocale(QLocale::English, QLocale::UnitedStates)),
             QStringLiteral("h:mm AP"));
}

// A note shows in a panel of its own between "Stato" and the date, which
// keep their texts and room: a menu's status tip neither hides "Stato" nor
// takes the note away. A note too long for the room left is cut short,
// whole in its tooltip and its accessible name.
void TestRouting::notesStayBesideThePanels()
{
    MainWindowFixture f;
    frmMain &w = *f.window;
    w.resize(1600, 400);
    w.Show();
    auto *notes = f.find<QLabel>("notesPanel");
    const auto *status = f.find<QLabel>("statusPanel");
    QVERIFY(!notes->isVisible());
    const QString note =
        QStringLiteral("Il file \"/home/utente/documenti/una cartella dal nome "
                       "lungo/nota.txt\" è stato modificato da un altro programma.");
    w.showLastingNote(note);
    QAction *item = f.find("mnuFileNew");
    item->showStatusText(w.menuBar()); // a menu item without a tip, hovered
    item->setStatusTip(QStringLiteral("Crea un documento"));
    item->showStatusText(w.menuBar());
    QCOMPARE(f.note(), note);
    QVERIFY(notes->isVisible() && status->isVisible());
    QCOMPARE(status->text(), QStringLiteral("Stato"));
    QCOMPARE(QAccessible::queryAccessibleInterface(notes)->text(QAccessible::Name), note);

    const int minimum = qRound(w.logicalDpiX() * 1.0) - 1; // 1440 twips
    const auto *date = f.find<QLabel>("datePanel");
    const auto left = [&w](const QWidget *panel) { return panel->mapTo(&w, QPoint()).x(); };
    const auto right = [&w](const QWidget *panel) {
        return panel->mapTo(&w, QPoint(panel->width(), 0)).x();
    };
    for (const int width : {1600, 640}) {
        w.resize(width, 400);
        QTRY_COMPARE(notes->toolTip(), width == 640 ? note : QString());
        QVERIFY(status->width() >= minimum);
        QVERIFY(right(status) <= left(notes) && right(notes) <= left(date));
    }
}

// The encoding and line ends of the document in front show beside the notes
// for as long as it is in front, in the words its text box's accessible
// description says with a comma for the dot, and its menu checks them. At the designed size the
// longest usual form shows whole; a long note beside it gives up its room first; in a narrower
// window it is cut short, never the designed panels.
void TestRouting::formatFollowsTheDocumentInFront()
{
    MainWindowFixture f;
    frmMain &w = *f.window;
    w.Show();
    const auto *panel = f.find<QToolButton>("formatPanel");
    frmDocument *first = w.activeDocument();
    QCOMPARE(panel->text(), QStringLiteral("UTF-8 \u00B7 CR LF"));
    w.mnuFileNew_Click();
    frmDocument *second = w.activeDocument();
    second->setEncoding(TextFileFormat::Encoding::utf8(true));
    second->text().setLineBreak(LineBreak::Lf);
    QCOMPARE(panel->text(), QStringLiteral("UTF-8 con BOM \u00B7 LF"));
    QCOMPARE(second->txtText->accessibleDescription(), QStringLiteral("UTF-8 con BOM, LF"));
    auto *menu = w.findChild<FormatMenu *>(QStringLiteral("formatMenu"));
    menu->rebuild();
    const QList<QAction *> parts = menu->actions();
    QCOMPARE(describe(menu), (QStringList{"&Riapri con codifica", "DISABLED OR HIDDEN",
                                          "Converti &in", "&Fine riga"}));
    QCOMPARE(describe(parts[1]->menu()).mid(0, 4),
             (QStringList{"UTF-8", "UTF-8 con BOM [x]", "UTF-16 LE", "UTF-16 BE"}));
    QCOMPARE(describe(parts[2]->menu()), (QStringList{"CR LF (Windows)", "LF (Unix) [x]"}));
    const std::unique_ptr<QMenu> context(
        TextViewMenu::create(*qobject_cast<TextView *>(second->txtText)));
    QCOMPARE(context->actions().last()->text(), QStringLiteral("C&odifica e fine riga"));

    w.documentArea()->setActiveSubWindow(w.documentArea()->subWindowList().first());
    QCOMPARE(panel->text(), QStringLiteral("UTF-8 \u00B7 CR LF"));
    QCOMPARE(first->txtText->accessibleDescription(), QStringLiteral("UTF-8, CR LF"));
    first->setEncoding(TextFileFormat::Encoding::utf8(true));
    QTRY_COMPARE(panel->width(), panel->sizeHint().width());
    w.showLastingNote(QStringLiteral("Il file \"/home/utente/documenti/nota.txt\" è stato "
                                     "modificato da un altro programma."));
    w.resize(w.width() + 90, w.height()); // room for the panel and a few words of the note
    const int minimum = qRound(w.logicalDpiX() * 1.0) - 1; // 1440 twips
    const auto *date = f.find<QLabel>("datePanel");
    const auto *notes = f.find<QLabel>("notesPanel");
    const auto left = [&w](const QWidget *part) { return part->mapTo(&w, QPoint()).x(); };
    const auto right = [&w](const QWidget *part) {
        return part->mapTo(&w, QPoint(part->width(), 0)).x();
    };
    QTRY_VERIFY(notes->isVisible() && panel->isVisible());
    QTRY_COMPARE(panel->width(), panel->sizeHint().width());
    QVERIFY(right(notes) <= left(panel) && right(panel) <= left(date));
    QVERIFY(date->width() >= minimum);
    w.resize(400, 300);
    QTRY_VERIFY(panel->width() < panel->sizeHint().width());
    QVERIFY(right(panel) <= left(date) && date->width() >= minimum);
    QVERIFY(panel->toolTip().contains(panel->text()));

    w.documentArea()->closeAllSubWindows();
    QTRY_VERIFY(!panel->isVisible());
}

// The entries below the Window menu's fixed items, as the menu shows them
// when it opens; the active one ends in " *".
static QList<QAction *> windowListEntries(frmMain &w)
{
    auto *menu = w.findChild<QMenu *>(QStringLiteral("mnuWindow"));
    emit menu->aboutToShow();
    const QList<QAction *> actions = menu->actions();
    const auto *bar = w.findChild<QAction *>(QStringLiteral("mnuWindowListBar"));
    return actions.mid(actions.indexOf(bar) + 1);
}

static QStringList windowList(frmMain &w)
{
    QStringList entries;
    for (const QAction *entry : windowListEntries(w))
        entries << entry->text() + (entry->isChecked() ? QStringLiteral(" *") : QString());
    return entries;
}

void TestRouting::windowListFollowsWindows()
{
    MainWindowFixture f;
    frmMain &w = *f.window;
    w.Show();
    w.mnuFileNew_Click();
    w.mnuFileNew_Click();
    QCOMPARE(windowList(w), (QStringList{"&1 Documento1", "&2 Documento2", "&3 Documento3 *"}));
    QVERIFY(w.findChild<QAction *>(QStringLiteral("mnuWindowListBar"))->isVisible());

    // Choosing an entry activates its window, restoring it from an icon.
    w.documentArea()->subWindowList().first()->showMinimized();
    windowListEntries(w).first()->trigger();
    QCOMPARE(w.activeDocument()->Caption(), QStringLiteral("Documento1"));
    QVERIFY(!w.documentArea()->currentSubWindow()->isMinimized());
    QCOMPARE(windowList(w), (QStringList{"&1 Documento1 *", "&2 Documento2", "&3 Documento3"}));

    // A new title (as after Open) shows, with its ampersands kept literal.
    w.activeDocument()->setCaption(QStringLiteral("/tmp/a&b.txt"));
    QCOMPARE(windowList(w).first(), QStringLiteral("&1 /tmp/a&&b.txt *"));

    w.documents().at(1)->Unload();
    QTRY_COMPARE(w.documents().size(), 2);
    QCOMPARE(windowList(w).size(), 2);
    for (frmDocument *document : w.documents())
        document->Unload();
    QTRY_VERIFY(w.documents().isEmpty());
    QCOMPARE(windowList(w), QStringList{});
    QVERIFY(!w.findChild<QAction *>(QStringLiteral("mnuWindowListBar"))->isVisible());
}

void TestRouting::windowListPastNine_data()
{
    QTest::addColumn<int>("documents");
    QTest::addColumn<int>("active");
    QTest::addColumn<QStringList>("listed");
    const auto numbered = [](int count, int active) {
        QStringList entries;
        for (int i = 1; i <= count; ++i)
            entries << QStringLiteral("&%1 Documento%1%2").arg(i).arg(i == active ? " *" : "");
        return entries;
    };
    QTest::newRow("nine: no more") << 9 << 9 << numbered(9, 9);
    QTest::newRow("eleven, active among the first nine")
        << 11 << 4 << numbered(9, 4) + QStringList{"&Altre finestre..."};
    QTest::newRow("eleven, active last: it takes the ninth place")
        << 11 << 11 << numbered(8, 0) + QStringList{"&9 Documento11 *", "&Altre finestre..."};
}

void TestRouting::windowListPastNine()
{
    QFETCH(int, documents);
    QFETCH(int, active);
    QFETCH(QStringList, listed);
    MainWindowFixture f;
    frmMain &w = *f.window;
    w.Show();
    while (w.documents().size() < documents)
        w.mnuFileNew_Click();
    w.documentArea()->setActiveSubWindow(w.documentArea()->subWindowList().at(active - 1));
    QCOMPARE(windowList(w), listed);
}

// "Altre finestre..." lists every document in a dialog; the one picked there,
// by the keyboard as a user would, comes to the front.
void TestRouting::moreWindowsPicksAnyDocument()
{
    MainWindowFixture f;
    frmMain &w = *f.window;
    w.Show();
    while (w.documents().size() < 11)
        w.mnuFileNew_Click();
    w.documentArea()->subWindowList().at(9)->showMinimized();
    QStringList shown;
    QTimer::singleShot(0, [&shown] {
        auto *chooser = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        if (!chooser)
            return;
        auto *list = chooser->findChild<QListWidget *>();
        for (int i = 0; i < list->count(); ++i)
            shown << list->item(i)->text();
        QTest::keyClick(list, Qt::Key_Up); // from Documento11 to Documento10
        QTest::keyClick(list, Qt::Key_Return);
    });
    windowListEntries(w).last()->trigger();
    QCOMPARE(shown.size(), 11);
    QCOMPARE(shown.last(), QStringLiteral("Documento11"));
    QCOMPARE(w.activeDocument()->Caption(), QStringLiteral("Documento10"));
    QVERIFY(!w.documentArea()->currentSubWindow()->isMinimized());
}

void TestRouting::tileRectsCoverTheArea_data()
{
    QTest::addColumn<int>("arrangement");
    QTest::addColumn<int>("count");
    QTest::addColumn<QList<int>>("lines"); // windows per column (vertical) or row (horizontal)
    const int horizontal = int(WindowArrangement::TileHorizontal);
    const int vertical = int(WindowArrangement::TileVertical);
    QTest::newRow("horizontal 1") << horizontal << 1 << QList<int>{1};
    QTest::newRow("horizontal 3: three rows") << horizontal << 3 << QList<int>{1, 1, 1};
    QTest::newRow("vertical 3: one row") << vertical << 3 << QList<int>{1, 1, 1};
    QTest::newRow("vertical 4") << vertical << 4 << QList<int>{2, 2};
    QTest::newRow("vertical 5: last column the rest") << vertical << 5 << QList<int>{2, 2, 1};
    QTest::newRow("horizontal 5: last row the rest") << horizontal << 5 << QList<int>{2, 2, 1};
    QTest::newRow("vertical 7") << vertical << 7 << QList<int>{3, 3, 1};
    QTest::newRow("vertical 12") << vertical << 12 << QList<int>{3, 3, 3, 3};
    QTest::newRow("horizontal 12") << horizontal << 12 << QList<int>{3, 3, 3, 3};
    QTest::newRow("horizontal 26") << horizontal << 26 << QList<int>{5, 5, 5, 5, 5, 1};
}

// The windows fill columns (vertical) or rows (horizontal) in order, each
// line as wide as its share, and together they cover the area exactly.
void TestRouting::tileRectsCoverTheArea()
{
    QFETCH(int, arrangement);
    QFETCH(int, count);
    QFETCH(QList<int>, lines);
    const QSize area(601, 401);
    const bool vertical = WindowArrangement(arrangement) == WindowArrangement::TileVertical;
    const QList<QRect> rects = tileRects(area, count, WindowArrangement(arrangement));
    QCOMPARE(rects.size(), count);
    QList<int> perLine;
    int covered = 0;
    for (int i = 0; i < count; ++i) {
        covered += rects[i].width() * rects[i].height();
        for (int j = 0; j < i; ++j)
            QVERIFY2(!rects[i].intersects(rects[j]),
                     qPrintable(QString("%1 over %2").arg(i).arg(j)));
        const bool newLine = i == 0 || (vertical ? rects[i].left() != rects[i - 1].left()
                                                 : rects[i].top() != rects[i - 1].top());
        if (newLine)
            perLine << 0;
        ++perLine.last();
    }
    QCOMPARE(perLine, lines);
    QCOMPARE(covered, area.width() * area.height());
}

void TestRouting::windowCommandsArrange()
{
    MainWindowFixture f;
    frmMain &w = *f.window;
    w.resize(900, 700);
    w.Show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    w.mnuFileNew_Click();
    w.mnuFileNew_Click();
    const QList<QMdiSubWindow *> subs = w.documentArea()->subWindowList(QMdiArea::CreationOrder);
    const QSize area = w.documentArea()->viewport()->size();

    w.mnuWindowTileHorizontal_Click();
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(subs[i]->width(), area.width());
        QCOMPARE(subs[i]->y(), area.height() * i / 3);
    }
    w.mnuWindowTileVertical_Click();
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(subs[i]->height(), area.height());
        QCOMPARE(subs[i]->x(), area.width() * i / 3);
    }

    subs[0]->showMinimized();
    subs[2]->showMinimized();
    subs[0]->move(300, 100);
    w.mnuWindowArrangeIcons_Click();
    QCOMPARE(subs[0]->geometry().bottom(), area.height() - 1);
    QCOMPARE(subs[0]->x(), 0);
    QCOMPARE(subs[2]->x(), subs[0]->width());
    QCOMPARE(subs[2]->geometry().bottom(), area.height() - 1);
    QVERIFY(!subs[1]->isMinimized());

    // Tiling leaves the icons their row: the grid ends above it.
    subs[0]->move(300, 100);
    w.mnuWindowTileHorizontal_Click();
    QCOMPARE(subs[1]->geometry(), QRect(0, 0, area.width(), subs[0]->y()));
    QCOMPARE(subs[0]->geometry().bottom(), area.height() - 1);
}

// Cascaded in a large frame, the windows step down from the top left in
// their stacking order, the active one in front, and are large: each is the
// area less the steps of the windows in front of the first.
void TestRouting::cascadeFillsALargeFrame()
{
    MainWindowFixture f;
    frmMain &w = *f.window;
    w.resize(1600, 1200);
    w.Show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    for (int i = 0; i < 4; ++i)
        w.mnuFileNew_Click();
    QMdiArea &area = *w.documentArea();
    area.setActiveSubWindow(area.subWindowList(QMdiArea::CreationOrder).at(2));
    const QSize size = area.viewport()->size();
    w.mnuWindowCascade_Click();

    const QList<QMdiSubWindow *> stack = area.subWindowList(QMdiArea::StackingOrder);
    QCOMPARE(stack.last(), area.subWindowList(QMdiArea::CreationOrder).at(2));
    const int step = stack[1]->y() - stack[0]->y();
    QVERIFY(step >= stack[0]->contentsMargins().top());
    for (int i = 0; i < stack.size(); ++i) {
        QCOMPARE(stack[i]->pos(), QPoint(i * step, i * step));
        QCOMPARE(stack[i]->size(), size - QSize(4 * step, 4 * step));
    }

    // With many windows the cascade starts again at the top left before a
    // window would be smaller than three quarters of the area.
    while (w.documents().size() < 40)
        w.mnuFileNew_Click();
    w.mnuWindowCascade_Click();
    for (const QMdiSubWindow *window : area.subWindowList()) {
        QVERIFY(window->width() >= size.width() * 3 / 4);
        QVERIFY(window->height() >= size.height() * 3 / 4);
        QVERIFY(QRect(QPoint(), size).contains(window->geometry()));
    }
}

// With nothing to arrange the Window commands change nothing: "Disponi
// icone" with no icon leaves the windows where they are, and with no document
// open no command moves or resizes anything.
void TestRouting::windowCommandsWithNoDocument()
{
    MainWindowFixture f;
    frmMain &w = *f.window;
    w.Show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    w.mnuFileNew_Click();
    const QList<QMdiSubWindow *> subs = w.documentArea()->subWindowList();
    subs[0]->move(40, 30);
    const QRect first = subs[0]->geometry();
    const QRect second = subs[1]->geometry();
    w.mnuWindowArrangeIcons_Click();
    QCOMPARE(subs[0]->geometry(), first);
    QCOMPARE(subs[1]->geometry(), second);

    w.documentArea()->closeAllSubWindows();
    QTRY_VERIFY(w.documents().isEmpty());
    const QRect frame = w.frameGeometry();
    const QRect area = w.documentArea()->geometry();
    w.mnuWindowCascade_Click();
    w.mnuWindowTileHorizontal_Click();
    w.mnuWindowTileVertical_Click();
    w.mnuWindowArrangeIcons_Click();
    QCOMPARE(w.frameGeometry(), frame);
    QCOMPARE(w.documentArea()->geometry(), area);
    QVERIFY(w.documents().isEmpty());
    QVERIFY(f.messages->messages.isEmpty());
}

QTEST_MAIN(TestRouting)
#include "tst_routing.moc"
