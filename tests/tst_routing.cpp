#include "mainwindowfixture.h"

#include "app/clockpanel.h"
#include "app/windowarrangement.h"
#include "document/frmdocument.h"

#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QStatusBar>
#include <QTest>
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
    void windowListFollowsWindows();
    void tileRectsCoverTheArea_data();
    void tileRectsCoverTheArea();
    void windowCommandsArrange();
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
    QStringList topLevel;
    for (const QAction *action : w.menuBar()->actions())
        topLevel << action->text();
    QCOMPARE(topLevel, (QStringList{"&File", "&Modifica", "&Visualizza", "Fi&nestra", "&?"}));
    QCOMPARE(describe(w.mnuFile),
             (QStringList{"Nu&ovo|Ctrl+N", "&Apri|Ctrl+O", "&Chiudi", "-", "&Salva|Ctrl+S",
                          "Sal&va con nome...", "-", "S&tampa...|Ctrl+P", "-", "&Esci"}));
    QCOMPARE(describe(w.mnuEdit),
             (QStringList{"&Taglia|Ctrl+X", "&Copia|Ctrl+C", "&Incolla|Ctrl+V", "-",
                          "&Seleziona Tutto", "Ora/&Data|F5"}));
    QCOMPARE(describe(w.mnuView),
             (QStringList{"Barra degli &strumenti [x]", "&Barra di stato [x]"}));
    QStringList window = describe(w.mnuWindow);
    QCOMPARE(window.mid(0, 4), (QStringList{"&Sovrapponi", "Affianca &orizzontalmente",
                                           "Affianca &verticalmente", "&Disponi icone"}));
    QCOMPARE(describe(w.mnuHelp), QStringList{"&Informazioni su Vidizizor..."});
    QVERIFY(w.tbToolBar->isVisibleTo(&w));
    QVERIFY(w.sbStatusBar->isVisibleTo(&w));
}

void TestRouting::toolbarEntries()
{
    MainWindowFixture f;
    frmMain &w = *f.window;
    QStringList entries;
    for (QAction *action : w.tbToolBar->actions()) {
        if (action->isSeparator()) {
            entries << QStringLiteral("-");
            continue;
        }
        entries << action->data().toString() + u'=' + action->toolTip();
        auto *button = qobject_cast<QToolButton *>(w.tbToolBar->widgetForAction(action));
        QVERIFY(button);
        QCOMPARE(button->toolButtonStyle(), Qt::ToolButtonIconOnly);
        QVERIFY(!button->isCheckable());
        const double scale = w.logicalDpiX() / 96.0;
        QCOMPARE(button->size(), QSize(qRound(24 * scale), qRound(22 * scale)));
    }
    QCOMPARE(entries, (QStringList{"New=Nuovo", "Open=Apri", "Save=Salva", "-", "Print=Stampa",
                                   "-", "Cut=Taglia", "Copy=Copia", "Paste=Incolla"}));
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
    w.Show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    const int fullArea = w.documentArea()->height();

    w.mnuViewToolbar->trigger(); // as a click on the menu item
    QVERIFY(!w.tbToolBar->isVisible());
    QVERIFY(!w.mnuViewToolbar->isChecked());
    QVERIFY(w.sbStatusBar->isVisible());
    QVERIFY(w.mnuViewStatusBar->isChecked());

    w.mnuViewStatusBar_Click(); // as a direct call
    QVERIFY(!w.sbStatusBar->isVisible());
    QVERIFY(!w.mnuViewStatusBar->isChecked());
    QTRY_VERIFY(w.documentArea()->height() > fullArea);
    QCOMPARE(w.documentArea()->geometry().bottom(), w.rect().bottom());

    w.mnuViewToolbar_Click();
    QVERIFY(w.tbToolBar->isVisible());
    QVERIFY(w.mnuViewToolbar->isChecked());
    w.mnuViewStatusBar->trigger();
    QVERIFY(w.sbStatusBar->isVisible());
    QVERIFY(w.mnuViewStatusBar->isChecked());
    QTRY_COMPARE(w.documentArea()->height(), fullArea);

    // The mark decides, not the bar: with the bar hidden behind the command's
    // back, a checked item still hides it and clears its mark.
    w.tbToolBar->hide();
    w.mnuViewToolbar_Click();
    QVERIFY(!w.tbToolBar->isVisible());
    QVERIFY(!w.mnuViewToolbar->isChecked());
}

void TestRouting::barsStayAtTheirEdges()
{
    MainWindowFixture f;
    frmMain &w = *f.window;
    w.Show();
    for (const QSize size : {QSize(900, 700), QSize(400, 300)}) {
        w.resize(size);
        QTRY_COMPARE(w.size(), size);
        QTRY_COMPARE(w.tbToolBar->width(), w.width());
        QCOMPARE(w.sbStatusBar->width(), w.width());
        QVERIFY(w.tbToolBar->geometry().top() <= w.menuBar()->geometry().bottom() + 1);
        QCOMPARE(w.sbStatusBar->geometry().bottom(), w.rect().bottom());
    }
}

void TestRouting::statusBarPanels()
{
    MainWindowFixture f;
    f.clock->date = QDate(2026, 3, 4);
    f.clock->time = QTime(9, 5, 42);
    frmMain &w = *f.window;
    w.Show();
    QCOMPARE(w.statusPanel->text(), QStringLiteral("Stato"));
    const QLocale locale = QLocale::system();
    QCOMPARE(w.datePanel->text(), locale.toString(QDate(2026, 3, 4), QLocale::ShortFormat));
    QCOMPARE(w.timePanel->text(), locale.toString(QTime(9, 5), hoursAndMinutesFormat(locale)));
    QVERIFY(!w.timePanel->text().contains(QStringLiteral("42")));
    const int minimum = qRound(w.logicalDpiX() * 1.0); // 1440 twips
    for (QLabel *panel : {w.statusPanel, static_cast<QLabel *>(w.datePanel),
                          static_cast<QLabel *>(w.timePanel)})
        QVERIFY(panel->width() >= minimum - 1);

    // The panels keep themselves current.
    f.clock->date = QDate(2026, 3, 5);
    f.clock->time = QTime(0, 0, 1);
    w.datePanel->refresh();
    w.timePanel->refresh();
    QCOMPARE(w.datePanel->text(), locale.toString(QDate(2026, 3, 5), QLocale::ShortFormat));
    QCOMPARE(w.timePanel->text(), locale.toString(QTime(0, 0), hoursAndMinutesFormat(locale)));

    QCOMPARE(hoursAndMinutesFormat(QLocale::c()), QStringLiteral("HH:mm"));
    QCOMPARE(hoursAndMinutesFormat(QLocale(QLocale::English, QLocale::UnitedStates)),
             QStringLiteral("h:mm AP"));
}

static QStringList windowList(frmMain &w)
{
    w.refreshWindowList();
    const QList<QAction *> actions = w.mnuWindow->actions();
    QStringList entries;
    for (qsizetype i = actions.indexOf(w.mnuWindowListBar) + 1; i < actions.size(); ++i)
        entries << actions[i]->text() + (actions[i]->isChecked() ? QStringLiteral(" *") : QString());
    return entries;
}

void TestRouting::windowListFollowsWindows()
{
    MainWindowFixture f;
    frmMain &w = *f.window;
    w.Show();
    w.mnuFileNew_Click();
    w.mnuFileNew_Click();
    QCOMPARE(windowList(w), (QStringList{"Documento1", "Documento2", "Documento3 *"}));
    QVERIFY(w.mnuWindowListBar->isVisible());

    // Choosing an entry activates its window.
    w.refreshWindowList();
    const QList<QAction *> actions = w.mnuWindow->actions();
    actions[actions.indexOf(w.mnuWindowListBar) + 1]->trigger();
    QCOMPARE(w.activeDocument()->Caption(), QStringLiteral("Documento1"));
    QCOMPARE(windowList(w), (QStringList{"Documento1 *", "Documento2", "Documento3"}));

    // A new title (as after Open) shows, with its ampersands kept literal.
    w.activeDocument()->setCaption(QStringLiteral("/tmp/a&b.txt"));
    QCOMPARE(windowList(w).first(), QStringLiteral("/tmp/a&&b.txt *"));

    w.documents().at(1)->Unload();
    QTRY_COMPARE(w.documents().size(), 2);
    QCOMPARE(windowList(w).size(), 2);
    for (frmDocument *document : w.documents())
        document->Unload();
    QTRY_VERIFY(w.documents().isEmpty());
    QCOMPARE(windowList(w), QStringList{});
    QVERIFY(!w.mnuWindowListBar->isVisible());
}

void TestRouting::tileRectsCoverTheArea_data()
{
    QTest::addColumn<int>("arrangement");
    QTest::addColumn<int>("count");
    QTest::newRow("horizontal 3") << int(WindowArrangement::TileHorizontal) << 3;
    QTest::newRow("vertical 3") << int(WindowArrangement::TileVertical) << 3;
    QTest::newRow("vertical 7") << int(WindowArrangement::TileVertical) << 7;
    QTest::newRow("horizontal 1") << int(WindowArrangement::TileHorizontal) << 1;
}

void TestRouting::tileRectsCoverTheArea()
{
    QFETCH(int, arrangement);
    QFETCH(int, count);
    const QSize area(601, 401);
    const auto kind = WindowArrangement(arrangement);
    const QList<QRect> rects = tileRects(area, count, kind);
    QCOMPARE(rects.size(), count);
    int covered = 0;
    for (int i = 0; i < count; ++i) {
        covered += rects[i].width() * rects[i].height();
        if (kind == WindowArrangement::TileHorizontal) {
            QCOMPARE(rects[i].width(), area.width()); // one above another
            QCOMPARE(rects[i].top(), i == 0 ? 0 : rects[i - 1].bottom() + 1);
        } else {
            QCOMPARE(rects[i].height(), area.height()); // side by side
            QCOMPARE(rects[i].left(), i == 0 ? 0 : rects[i - 1].right() + 1);
        }
    }
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
    w.mnuWindowCascade_Click();
    QVERIFY(subs[1]->x() > subs[0]->x());
    QVERIFY(subs[1]->y() > subs[0]->y());
    QVERIFY(subs[2]->y() > subs[1]->y());

    subs[0]->showMinimized();
    subs[2]->showMinimized();
    subs[0]->move(300, 100);
    w.mnuWindowArrangeIcons_Click();
    QCOMPARE(subs[0]->geometry().bottom(), area.height() - 1);
    QCOMPARE(subs[0]->x(), 0);
    QCOMPARE(subs[2]->x(), subs[0]->width());
    QCOMPARE(subs[2]->geometry().bottom(), area.height() - 1);
    QVERIFY(!subs[1]->isMinimized());
}

void TestRouting::windowCommandsWithNoDocument()
{
    MainWindowFixture f;
    frmMain &w = *f.window;
    w.Show();
    w.activeDocument()->Unload();
    QTRY_VERIFY(w.documents().isEmpty());
    w.mnuWindowCascade_Click();
    w.mnuWindowTileHorizontal_Click();
    w.mnuWindowTileVertical_Click();
    w.mnuWindowArrangeIcons_Click();
    QVERIFY(w.documents().isEmpty());
    QVERIFY(f.messages->messages.isEmpty());
}

QTEST_MAIN(TestRouting)
#include "tst_routing.moc"
