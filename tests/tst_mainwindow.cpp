#include "mainwindowfixture.h"

#include "app/centring.h"
#include "app/clockpanel.h"
#include "app/windowarrangement.h"
#include "document/frmdocument.h"
#include "document/textboxlayout.h"
#include "platform/textbox.h"

#include <QAbstractScrollArea>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QStatusBar>
#include <QTest>
#include <QToolBar>

// Start-up, numbering of document windows, and the document window's layout.
class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();
    void startsWithDocumento1Focused();
    void numbersAreNeverReused();
    void openedFileConsumesANumber();
    void counterStopsAtItsMaximum();
    void centringArithmetic_data();
    void centringArithmetic();
    void centresOnTheScreen();
    void textBoxLayout_data();
    void textBoxLayout();
    void tooSmallWindowKeepsTextBoxRect();
    void minimiseAndRestoreRelayout();
    void exitClosesEverythingWithoutAsking();
    void closingMainWindowClosesDocuments();
    void mainWindowDeletesItselfOnClose();
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

void TestMainWindow::startsWithDocumento1Focused()
{
    MainWindowFixture f;
    frmMain &w = *f.window;
    QVERIFY(!w.isVisible());
    QVERIFY(w.documents().isEmpty()); // creating does not load
    w.Show();
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
    QVERIFY(f.messages->messages.isEmpty());
}

void TestMainWindow::numbersAreNeverReused()
{
    MainWindowFixture f;
    frmMain &w = *f.window;
    w.Show();
    w.mnuFileNew_Click();
    w.mnuFileNew->trigger();
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

void TestMainWindow::centringArithmetic_data()
{
    QTest::addColumn<float>("screen");
    QTest::addColumn<float>("window");
    QTest::addColumn<float>("offset");
    QTest::newRow("even") << 19200.f << 7200.f << 6000.f;
    QTest::newRow("odd difference keeps the half") << 19200.f << 7201.f << 5999.5f;
    QTest::newRow("larger than the screen") << 9600.f << 12000.f << -1200.f;
}

void TestMainWindow::centringArithmetic()
{
    QFETCH(float, screen);
    QFETCH(float, window);
    QFETCH(float, offset);
    QCOMPARE(centredOffset(screen, window), offset);
}

void TestMainWindow::centresOnTheScreen()
{
    MainWindowFixture f;
    frmMain &w = *f.window;
    w.Show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    const QRect screen = w.screen()->geometry();
    const QRect outer = w.frameGeometry();
    QVERIFY(qAbs(outer.center().x() - screen.center().x()) <= 1);
    QVERIFY(qAbs(outer.center().y() - screen.center().y()) <= 1);
}

void TestMainWindow::textBoxLayout_data()
{
    QTest::addColumn<float>("width");
    QTest::addColumn<float>("height");
    QTest::addColumn<QRectF>("rect");
    QTest::newRow("design size") << 4680.f << 3195.f << QRectF(100, 100, 4480, 2995);
    QTest::newRow("exactly 200 twips") << 200.f << 3195.f << QRectF(100, 100, 0, 2995);
    QTest::newRow("fractional") << 1000.5f << 300.25f << QRectF(100, 100, 800.5, 100.25);
}

void TestMainWindow::textBoxLayout()
{
    QFETCH(float, width);
    QFETCH(float, height);
    QFETCH(QRectF, rect);
    const auto result = textBoxRect(width, height);
    QVERIFY(result.has_value());
    QCOMPARE(*result, rect);
}

void TestMainWindow::tooSmallWindowKeepsTextBoxRect()
{
    QVERIFY(!textBoxRect(199.f, 3195.f).has_value());
    QVERIFY(!textBoxRect(4680.f, 199.f).has_value());

    // A real window 1440 twips wide (an inch) at the screen's DPI, then too small.
    frmDocument document;
    const int dpi = document.logicalDpiX();
    document.resize(dpi, dpi);
    document.show();
    QVERIFY(QTest::qWaitForWindowExposed(&document));
    const QRect before = document.txtText->geometry();
    const int margin = qRound(100.0 * dpi / 1440);
    QCOMPARE(before.topLeft(), QPoint(margin, margin));
    QVERIFY(qAbs(before.right() + 1 - (dpi - margin)) <= 1);
    document.resize(margin, dpi); // narrower than 200 twips
    QCOMPARE(document.txtText->geometry(), before);
    document.resize(dpi * 2, dpi * 2);
    QVERIFY(qAbs(document.txtText->geometry().width() - (2 * dpi - 2 * margin)) <= 1);
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

// As the program runs it: the window deletes itself once closed (a deferred
// delete that goes through the window's own event handling).
void TestMainWindow::mainWindowDeletesItselfOnClose()
{
    MainWindowFixture f;
    QPointer<frmMain> w = f.window.release();
    w->setAttribute(Qt::WA_DeleteOnClose);
    w->Show();
    QVERIFY(QTest::qWaitForWindowExposed(w));
    QPointer<frmDocument> document = w->activeDocument();
    QVERIFY(w->close());
    QTRY_VERIFY(w.isNull());
    QVERIFY(document.isNull());
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
