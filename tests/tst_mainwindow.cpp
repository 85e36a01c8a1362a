#include "mainwindowfixture.h"

#include "app/modulo1.h"
#include "app/windowarrangement.h"
#include "document/frmdocument.h"
#include "platform/textbox.h"
#include "tests/support/testfiles.h"

#include <QAbstractScrollArea>
#include <QAccessible>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>

// Start-up, numbering of document windows, and the document window's layout.
class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();
    void startsWithDocumento1Focused_data();
    void startsWithDocumento1Focused();
    void numbersAreNeverReused();
    void openedFileConsumesANumber();
    void counterStopsAtItsMaximum();
    void centresOnTheScreen_data();
    void centresOnTheScreen();
    void textBoxKeepsItsMargin_data();
    void textBoxKeepsItsMargin();
    void minimiseAndRestoreRelayout();
    void exitClosesEverythingWithoutAsking();
    void closingMainWindowClosesDocuments();
    void startUpKeepsTheWindowUntilItIsGone_data();
    void startUpKeepsTheWindowUntilItIsGone();
    void menuEntriesTellTheirKeys_data();
    void menuEntriesTellTheirKeys();
};

void TestMainWindow::cleanup()
{
    // No window may outlive its test.
    QTRY_VERIFY(QApplication::topLevelWidgets().isEmpty() ||
                std::none_of(QApplication::topLevelWidgets().cbegin(),
                             QApplication::topLevelWidgets().cend(),
                             [](QWidget *w) { return w->isVisible(); }));
}

static QStringList captions(const frmMain &window)
{
    QStringList result;
    for (frmDocument *document : window.documents())
        result << document->Caption();
    return result;
}

void TestMainWindow::startsWithDocumento1Focused_data()
{
    QTest::addColumn<bool>("byShow");
    QTest::newRow("Show()") << true;
    QTest::newRow("show()") << false;
}

// Whichever call shows the window first, it loads it: Documento1 is there.
void TestMainWindow::startsWithDocumento1Focused()
{
    QFETCH(bool, byShow);
    MainWindowFixture f;
    frmMain &w = *f.window;
    QVERIFY(!w.isVisible());
    QVERIFY(w.documents().isEmpty()); // creating does not load
    if (byShow)
        w.Show();
    else
        w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    QCOMPARE(w.windowTitle(), QStringLiteral("Vidizizor  V. 1.0"));
    QCOMPARE(captions(w), QStringList{"Documento1"});
    QCOMPARE(w.documentCounter().value(), 1);
    QCOMPARE(w.latestDocumentWindow(), w.activeDocument());
    QCOMPARE(w.windowState(), Qt::WindowNoState);
    frmDocument *document = w.activeDocument();
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget *>(document->txtText));
    QCOMPARE(document->ActiveControl().Text(), QString());
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("ciao"));
    QCOMPARE(document->ActiveControl().Text(), QStringLiteral("ciao"));
    QCOMPARE(static_cast<QAbstractScrollArea *>(document->txtText)->horizontalScrollBarPolicy(),
             Qt::ScrollBarAlwaysOn);
    // What a screen reader calls the text box, the toolbar and its buttons.
    auto name = [](QObject *object) {
        return QAccessible::queryAccessibleInterface(object)->text(QAccessible::Name);
    };
    QCOMPARE(name(document->txtText), QStringLiteral("Documento1"));
    auto *toolbar = f.find<QToolBar>("tbToolBar");
    QCOMPARE(name(toolbar), QStringLiteral("Barra degli strumenti"));
    for (QAction *button : toolbar->actions()) {
        if (!button->isSeparator())
            QCOMPARE(name(toolbar->widgetForAction(button)), button->toolTip());
    }
    QVERIFY(f.messages->messages.isEmpty());
    w.hide();
    w.show(); // loaded once only
    QCOMPARE(captions(w), QStringList{"Documento1"});
}

void TestMainWindow::numbersAreNeverReused()
{
    MainWindowFixture f;
    frmMain &w = *f.window;
    w.Show();
    w.mnuFileNew_Click();
    f.find("mnuFileNew")->trigger();
    QCOMPARE(captions(w), (QStringList{"Documento1", "Documento2", "Documento3"}));
    QCOMPARE(w.activeDocument()->Caption(), QStringLiteral("Documento3"));

    w.documents().at(1)->Unload();
    QTRY_COMPARE(w.documents().size(), 2);
    w.mnuFileNew_Click();
    QCOMPARE(w.activeDocument()->Caption(), QStringLiteral("Documento4"));

    for (frmDocument *document : w.documents())
        document->Unload();
    QTRY_VERIFY(w.documents().isEmpty());
    QVERIFY(w.activeDocument() == nullptr);
    // Toolbar New does the same as the menu item.
    QAction newButton;
    newButton.setData(QStringLiteral("New"));
    w.tbToolBar_ButtonClick(&newButton);
    QCOMPARE(captions(w), QStringList{"Documento5"});
}

void TestMainWindow::openedFileConsumesANumber()
{
    MainWindowFixture f;
    frmMain &w = *f.window;
    w.Show();
    // A document created for an opened file takes a number before its caption
    // becomes the file's path.
    frmDocument *opened = w.CreateDocumentWindow();
    opened->setCaption(QStringLiteral("/tmp/a.txt"));
    w.mnuFileNew_Click();
    QCOMPARE(w.activeDocument()->Caption(), QStringLiteral("Documento3"));
}

void TestMainWindow::counterStopsAtItsMaximum()
{
    MainWindowFixture f;
    frmMain &w = *f.window;
    w.Show();
    w.documentCounter() = DocumentCounter(DocumentCounter::Maximum - 1);
    w.mnuFileNew_Click();
    QCOMPARE(w.activeDocument()->Caption(), QStringLiteral("Documento2147483647"));
    QVERIFY(f.messages->messages.isEmpty());

    QVERIFY(w.CreateDocumentWindow() == nullptr);
    w.mnuFileNew_Click();
    QCOMPARE(w.documents().size(), 2);
    QCOMPARE(w.documentCounter().value(), DocumentCounter::Maximum);
    QCOMPARE(f.messages->messages.size(), 2);
    QCOMPARE(f.messages->messages.first(),
             QStringLiteral("Impossibile creare un nuovo documento: è stato raggiunto il numero "
                            "massimo di documenti."));
}

void TestMainWindow::centresOnTheScreen_data()
{
    QTest::addColumn<QSize>("size");
    QTest::newRow("as designed") << QSize();
    // Larger than the screen: centred all the same, its top left off the
    // screen, not pushed back onto it.
    QTest::newRow("larger than the screen") << QSize(1500, 1100);
}

void TestMainWindow::centresOnTheScreen()
{
    QFETCH(QSize, size);
    MainWindowFixture f;
    frmMain &w = *f.window;
    if (size.isValid())
        w.resize(size);
    w.Show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    const QRect screen = w.screen()->geometry();
    const QRect outer = w.frameGeometry();
    // The test platform moves a frame that starts off the screen by up to
    // the frame's width.
    const int slack = size.isValid() ? 2 : 1;
    QVERIFY(qAbs(outer.center().x() - screen.center().x()) <= slack);
    QVERIFY(qAbs(outer.center().y() - screen.center().y()) <= slack);
    if (size.width() > screen.width())
        QVERIFY(outer.left() < screen.left() && outer.top() < screen.top());
}

void TestMainWindow::textBoxKeepsItsMargin_data()
{
    QTest::addColumn<QSizeF>("inches"); // the window's inner size
    QTest::addColumn<bool>("laidOut");
    QTest::newRow("as designed") << QSizeF(4680 / 1440.0, 3195 / 1440.0) << true;
    QTest::newRow("one inch") << QSizeF(1, 1) << true;
    QTest::newRow("wide and low") << QSizeF(8, 0.5) << true;
    QTest::newRow("narrower than 200 twips") << QSizeF(0.12, 2) << false;
    QTest::newRow("lower than 200 twips") << QSizeF(2, 0.12) << false;
}

// The text box fills a document window less 100 twips on every side; in a
// window too small for that it keeps the place it had.
void TestMainWindow::textBoxKeepsItsMargin()
{
    QFETCH(QSizeF, inches);
    QFETCH(bool, laidOut);
    frmDocument document;
    const int dpi = document.logicalDpiX();
    document.resize(dpi * 2, dpi * 2);
    document.show();
    QVERIFY(QTest::qWaitForWindowExposed(&document));
    const QRect before = document.txtText->geometry();

    const QSize size(qRound(inches.width() * dpi), qRound(inches.height() * dpi));
    document.resize(size);
    const QRect box = document.txtText->geometry();
    if (!laidOut) {
        QCOMPARE(box, before);
        return;
    }
    const int margin = qRound(100.0 * dpi / 1440);
    QCOMPARE(box.topLeft(), QPoint(margin, margin));
    QVERIFY(qAbs(box.right() + 1 + margin - size.width()) <= 1);
    QVERIFY(qAbs(box.bottom() + 1 + margin - size.height()) <= 1);
}

void TestMainWindow::minimiseAndRestoreRelayout()
{
    MainWindowFixture f;
    frmMain &w = *f.window;
    w.resize(800, 600);
    w.Show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    frmDocument *document = w.activeDocument();
    QMdiSubWindow *sub = w.documentArea()->currentSubWindow();
    sub->showMinimized();
    QTRY_VERIFY(sub->isMinimized());
    sub->showNormal();
    QTRY_VERIFY(!sub->isMinimized());
    const int margin = qRound(100.0 * document->logicalDpiX() / 1440);
    QTRY_COMPARE(document->txtText->geometry().topLeft(), QPoint(margin, margin));
    QVERIFY(qAbs(document->txtText->geometry().right() + 1 + margin - document->width()) <= 1);
    QVERIFY(qAbs(document->txtText->geometry().bottom() + 1 + margin - document->height()) <= 1);
    QVERIFY(f.messages->messages.isEmpty());
}

void TestMainWindow::exitClosesEverythingWithoutAsking()
{
    MainWindowFixture f;
    frmMain &w = *f.window;
    w.Show();
    w.mnuFileNew_Click();
    w.activeDocument()->ActiveControl().setText(QStringLiteral("non salvato"));
    QPointer<frmDocument> document = w.activeDocument();
    w.mnuFileExit_Click();
    QTRY_VERIFY(document.isNull());
    QVERIFY(!w.isVisible());
    QVERIFY(f.messages->messages.isEmpty());
    QVERIFY(f.dialog->shown.isEmpty());
}

void TestMainWindow::closingMainWindowClosesDocuments()
{
    MainWindowFixture f;
    frmMain &w = *f.window;
    w.Show();
    QPointer<frmDocument> document = w.activeDocument();
    QVERIFY(w.close());
    QVERIFY(!w.isVisible());
    QVERIFY(f.messages->messages.isEmpty());
    f.window.reset(); // the doubles go with the window
    QVERIFY(document.isNull());
}

void TestMainWindow::startUpKeepsTheWindowUntilItIsGone_data()
{
    QTest::addColumn<bool>("withFile");
    QTest::newRow("no arguments") << false;
    QTest::newRow("a file named on the command line") << true;
}

// As the program starts: the start-up module keeps the main window, which
// deletes itself once closed, documents and all; the module's reference then
// points at nothing rather than at a deleted window. A file named on the
// command line opens after Documento1.
void TestMainWindow::startUpKeepsTheWindowUntilItIsGone()
{
    QFETCH(bool, withFile);
    QTemporaryDir folder;
    const QString file = folder.filePath(QStringLiteral("nota.txt"));
    put(file, "nota\r\n");
    if (withFile)
        Modulo1::Main({file});
    else
        Modulo1::Main();
    QPointer<frmMain> w = Modulo1::MainWindow;
    QVERIFY(w);
    QCOMPARE(captions(*w), QStringList{"Documento1"}); // before the window shows
    QVERIFY(QTest::qWaitForWindowExposed(w));
    if (withFile) {
        QTRY_COMPARE(captions(*w), (QStringList{"Documento1", file}));
        QTRY_COMPARE(w->activeDocument()->ActiveControl().Text(), QStringLiteral("nota\r\n"));
    }
    QCOMPARE(captions(*w).size(), withFile ? 2 : 1);
    QPointer<frmDocument> document = w->activeDocument();
    QVERIFY(w->close());
    QTRY_VERIFY(w.isNull());
    QVERIFY(document.isNull());
    QVERIFY(Modulo1::MainWindow.isNull());
}

void TestMainWindow::menuEntriesTellTheirKeys_data()
{
    QTest::addColumn<QString>("menu");
    QTest::addColumn<QString>("entry"); // empty for the menu's own entry in the menu bar
    QTest::addColumn<QStringList>("keys");
    QTest::newRow("a menu") << "mnuFile" << QString() << QStringList{"f", "<Alt>f", ""};
    QTest::newRow("an item with its shortcut")
        << "mnuFile"
        << "mnuFileNew" << QStringList{"o", "<Alt>f:o", "<Control>n"};
    QTest::newRow("a function key") << "mnuEdit"
                                    << "mnuDate" << QStringList{"d", "<Alt>m:d", "F5"};
    QTest::newRow("a check mark with no shortcut")
        << "mnuView"
        << "mnuViewToolbar" << QStringList{"s", "<Alt>v:s", ""};
}

// Each entry of a menu tells a screen reader its access key, the keys that
// reach it from the menu bar and its shortcut, in the bus's own words, so
// that the screen reader says an item with its shortcut.
void TestMainWindow::menuEntriesTellTheirKeys()
{
    QFETCH(QString, menu);
    QFETCH(QString, entry);
    QFETCH(QStringList, keys);
    MainWindowFixture f;
    auto *shown = f.window->findChild<QMenu *>(menu);
    QAction *action = entry.isEmpty() ? shown->menuAction() : f.window->findChild<QAction *>(entry);
    QAccessibleInterface *item = QAccessible::queryAccessibleInterface(action);
    QVERIFY(item && item->actionInterface());
    QCOMPARE(item->parent()->object(),
             entry.isEmpty() ? static_cast<QObject *>(f.window->menuBar()) : shown);
    const QString press = item->actionInterface()->actionNames().value(0);
    QCOMPARE(item->actionInterface()->keyBindingsForAction(press), keys);
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
