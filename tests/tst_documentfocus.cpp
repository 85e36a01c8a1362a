#include "mainwindowfixture.h"
#include "tests/support/screenreader.h"

#include "document/frmdocument.h"
#include "platform/textbox.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QFile>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QTest>
#include <qpa/qwindowsysteminterface.h>

namespace {

// A shown main window with the documents Documento1 to Documento<count>,
// the last one active.
struct Frame : MainWindowFixture
{
    explicit Frame(int count)
    {
        window->resize(900, 700);
        window->Show();
        while (window->documents().size() < count)
            window->mnuFileNew_Click();
    }
    QMdiArea &area() const { return *window->documentArea(); }
    QMdiSubWindow *sub(int number) const
    {
        return area().subWindowList(QMdiArea::CreationOrder).at(number - 1);
    }
    QString active() const
    {
        const frmDocument *document = window->activeDocument();
        return document ? document->Caption() : QString();
    }
    QString textOf(int number) const
    {
        return qobject_cast<frmDocument *>(sub(number)->widget())->ActiveControl().Text();
    }
    // Keys go where the application sends them: to the focus widget.
    void press(const QKeySequence &keys)
    {
        const QKeyCombination key = keys[0];
        QWidget *target = QApplication::focusWidget() ? QApplication::focusWidget() : window.get();
        QTest::keyClick(target, key.key(), key.keyboardModifiers());
    }
    void type(const QString &text)
    {
        QWidget *target = QApplication::focusWidget() ? QApplication::focusWidget() : window.get();
        QTest::keyClicks(target, text);
    }
};

enum class Leaving { Minimise, CloseOther, FailedOpen };

} // namespace

Q_DECLARE_METATYPE(Leaving)

// The keyboard stays on documents the user can see, and the frame's own
// keys work as on the platform.
class TestDocumentFocus : public QObject
{
    Q_OBJECT

private slots:
    void activeDocumentIsNeverAnIcon_data();
    void activeDocumentIsNeverAnIcon();
    void everyDocumentMinimisedTakesNoText();
    void frameKeys_data();
    void frameKeys();
    void switchingTellsWhichDocument();
    void activeAgainAfterADialog();
    void menuBarTakesTheFocus_data();
    void menuBarTakesTheFocus();
    void documentWindowMenu();
    void undoKeysActOnTheActiveDocument();
};

void TestDocumentFocus::activeDocumentIsNeverAnIcon_data()
{
    QTest::addColumn<Leaving>("leaving");
    QTest::newRow("the active document minimised") << Leaving::Minimise;
    QTest::newRow("closed, next in line an icon") << Leaving::CloseOther;
    QTest::newRow("failed Open, next in line an icon") << Leaving::FailedOpen;
}

// Whatever takes the active document away, the keyboard goes on to the
// visible document that was active last, never into an icon.
void TestDocumentFocus::activeDocumentIsNeverAnIcon()
{
    QFETCH(Leaving, leaving);
    Frame f(3);
    f.area().setActiveSubWindow(f.sub(1));
    f.area().setActiveSubWindow(f.sub(2)); // Documento1 was active before
    switch (leaving) {
    case Leaving::Minimise:
        f.sub(2)->showMinimized();
        break;
    case Leaving::CloseOther:
        f.area().setActiveSubWindow(f.sub(3));
        f.sub(2)->showMinimized(); // an icon, active just before Documento3
        f.area().setActiveSubWindow(f.sub(3));
        f.sub(3)->close();
        break;
    case Leaving::FailedOpen:
        f.sub(2)->showMinimized();
        f.area().setActiveSubWindow(f.sub(2)); // an active icon
        f.dialog->answer(QStringLiteral("/nonexistent/missing.txt"));
        f.window->mnuFileOpen_Click();
        QCOMPARE(f.messages->messages.size(), 1);
        break;
    }
    QTRY_COMPARE(f.active(), QStringLiteral("Documento1"));
    QVERIFY(!f.area().currentSubWindow()->isMinimized());
    QTRY_VERIFY(QApplication::focusWidget() && f.sub(1)->isAncestorOf(QApplication::focusWidget()));
    f.type(QStringLiteral("visto"));
    QCOMPARE(f.textOf(1), QStringLiteral("visto"));
    QCOMPARE(f.textOf(2), QString());
}

// With every document minimised nothing is shown to type into: typed text,
// Paste, Cut and the time and date go nowhere.
void TestDocumentFocus::everyDocumentMinimisedTakesNoText()
{
    Frame f(2);
    f.sub(1)->showMinimized();
    f.sub(2)->showMinimized();
    QApplication::clipboard()->setText(QStringLiteral("appunti"));
    f.type(QStringLiteral("perso"));
    f.press(QKeySequence(Qt::Key_Return));
    for (const QKeySequence &keys : {QKeySequence(Qt::CTRL | Qt::Key_V),
                                     QKeySequence(Qt::CTRL | Qt::Key_X), QKeySequence(Qt::Key_F5)})
        f.press(keys);
    f.window->mnuEditPaste_Click();
    QCOMPARE(f.textOf(1), QString());
    QCOMPARE(f.textOf(2), QString());
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("appunti"));

    // Restored, the document takes text again.
    f.sub(2)->showNormal();
    f.area().setActiveSubWindow(f.sub(2));
    QTRY_VERIFY(f.sub(2)->isAncestorOf(QApplication::focusWidget()));
    f.type(QStringLiteral("ok"));
    QCOMPARE(f.textOf(2), QStringLiteral("ok"));
}

void TestDocumentFocus::frameKeys_data()
{
    QTest::addColumn<QKeySequence>("keys");
    QTest::addColumn<QStringList>("documents"); // left open afterwards
    QTest::addColumn<QString>("active");
    const QStringList all{"Documento1", "Documento2", "Documento3", "Documento4"};
    QTest::newRow("Ctrl+F4 closes the active document")
        << QKeySequence(Qt::CTRL | Qt::Key_F4)
        << QStringList{"Documento1", "Documento2", "Documento4"} << "Documento2";
    QTest::newRow("Ctrl+W closes nothing")
        << QKeySequence(Qt::CTRL | Qt::Key_W) << all << "Documento3";
    QTest::newRow("Ctrl+F6: the next document, past the icon")
        << QKeySequence(Qt::CTRL | Qt::Key_F6) << all << "Documento1";
    QTest::newRow("Ctrl+Shift+F6: the previous document")
        << QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F6) << all << "Documento2";
}

// Documento4 is minimised, Documento3 active.
void TestDocumentFocus::frameKeys()
{
    QFETCH(QKeySequence, keys);
    QFETCH(QStringList, documents);
    QFETCH(QString, active);
    Frame f(4);
    f.sub(4)->showMinimized();
    f.area().setActiveSubWindow(f.sub(2));
    f.area().setActiveSubWindow(f.sub(3));
    QTRY_VERIFY(f.sub(3)->isAncestorOf(QApplication::focusWidget()));
    f.press(keys);
    QTRY_COMPARE(f.window->documents().size(), documents.size());
    QStringList open;
    for (const frmDocument *document : f.window->documents())
        open << document->Caption();
    QCOMPARE(open, documents);
    QCOMPARE(f.active(), active);
}

// A screen reader hears one focus, on a text named after the document, when
// the keyboard moves to another document; the name follows the title, and a
// file opened comes to the front already named after it.
void TestDocumentFocus::switchingTellsWhichDocument()
{
    ScreenReader reader([](QAccessibleEvent *event, QStringList &heard) {
        if (event->type() == QAccessible::Focus)
            heard << event->accessibleInterface()->text(QAccessible::Name);
    });
    Frame f(2);
    QTRY_VERIFY(f.sub(2)->isAncestorOf(QApplication::focusWidget()));
    reader.heard.clear();
    f.press(QKeySequence(Qt::CTRL | Qt::Key_F6));
    QTRY_COMPARE(f.active(), QStringLiteral("Documento1"));
    QTest::qWait(50);
    QCOMPARE(reader.heard, QStringList{"Documento1"});

    auto *document = qobject_cast<frmDocument *>(f.sub(1)->widget());
    // The window keeps the full path; the text box says only the file's name.
    document->setCaption(QStringLiteral("/home/anna/lettera.txt"));
    QCOMPARE(QAccessible::queryAccessibleInterface(document->txtText)->text(QAccessible::Name),
             QStringLiteral("lettera.txt"));
    // Around it, neither the window nor the area says anything of its own:
    // no path, no second name, no "layered pane".
    QAccessibleInterface *window = QAccessible::queryAccessibleInterface(f.sub(1));
    QCOMPARE(window->text(QAccessible::Name), QString());
    QAccessibleInterface *area = window->parent();
    QCOMPARE(area->object(), &f.area());
    QVERIFY(area->role() != QAccessible::LayeredPane && window->role() != QAccessible::Window);
    QCOMPARE(area->child(area->indexOfChild(window)), window);

    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("nota.txt"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write("uno\n") == 4);
    file.close();
    reader.heard.clear();
    f.window->OpenFiles({path});
    QVERIFY(!reader.heard.isEmpty());
    QCOMPARE(reader.heard.last(), QStringLiteral("nota.txt"));
}

// The desktop may give the focus back to the main window before a closing
// dialog has gone; the main window is still made active, and a screen
// reader hears the document's text box take the focus.
void TestDocumentFocus::activeAgainAfterADialog()
{
    ScreenReader reader([](QAccessibleEvent *event, QStringList &heard) {
        if (event->type() == QAccessible::Focus)
            heard << event->accessibleInterface()->text(QAccessible::Name);
    });
    Frame f(1);
    QTRY_COMPARE(QApplication::activeWindow(), f.window.get());
    QDialog dialog(f.window.get());
    dialog.setModal(true);
    dialog.show();
    QTRY_COMPARE(QApplication::activeWindow(), &dialog);
    reader.heard.clear();
    // The dialog loses the desktop's focus, the main window takes it, and
    // only then does the dialog go.
    QWindowSystemInterface::handleWindowActivated(nullptr);
    QWindowSystemInterface::handleWindowActivated(f.window->windowHandle());
    QCoreApplication::processEvents();
    dialog.hide();
    QTRY_COMPARE(QApplication::activeWindow(), f.window.get());
    QTRY_COMPARE(reader.heard, QStringList{"Documento1"});
}

void TestDocumentFocus::menuBarTakesTheFocus_data()
{
    QTest::addColumn<bool>("f10");
    QTest::newRow("F10") << true;
    QTest::newRow("Alt pressed alone") << false;
}

// F10, or Alt pressed and let go alone, puts the focus on the menu bar with
// its first menu marked and no menu open; Esc gives it back to the document.
void TestDocumentFocus::menuBarTakesTheFocus()
{
    QFETCH(bool, f10);
    Frame f(1);
    QTRY_VERIFY(f.sub(1)->isAncestorOf(QApplication::focusWidget()));
    QWidget *text = QApplication::focusWidget();
    if (f10) {
        f.press(QKeySequence(Qt::Key_F10));
    } else {
        QTest::keyPress(text, Qt::Key_Alt, Qt::AltModifier);
        QTest::keyRelease(text, Qt::Key_Alt);
    }
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget *>(f.window->menuBar()));
    QCOMPARE(f.window->menuBar()->activeAction(), f.find<QMenu>("mnuFile")->menuAction());
    QVERIFY(!QApplication::activePopupWidget());
    f.press(QKeySequence(Qt::Key_Escape));
    QTRY_COMPARE(QApplication::focusWidget(), text);
}

// Alt+- opens the active document's own window menu, whose Chiudi carries
// the platform's Ctrl+F4.
void TestDocumentFocus::documentWindowMenu()
{
    Frame f(2);
    QTRY_VERIFY(f.sub(2)->isAncestorOf(QApplication::focusWidget()));
    f.press(QKeySequence(Qt::ALT | Qt::Key_Minus));
    QTRY_COMPARE(QApplication::activePopupWidget(), f.sub(2)->systemMenu());
    QStringList keys;
    for (const QAction *action : f.sub(2)->systemMenu()->actions())
        if (!action->shortcut().isEmpty())
            keys << action->shortcut().toString(QKeySequence::PortableText);
    QCOMPARE(keys, QStringList{"Ctrl+F4"});
    f.sub(2)->systemMenu()->close();
}

// Ctrl+Z and Ctrl+Y undo and redo in the active document's text box only.
void TestDocumentFocus::undoKeysActOnTheActiveDocument()
{
    Frame f(2);
    f.area().setActiveSubWindow(f.sub(1));
    QTRY_VERIFY(QApplication::focusWidget() && f.sub(1)->isAncestorOf(QApplication::focusWidget()));
    f.type(QStringLiteral("uno"));
    f.area().setActiveSubWindow(f.sub(2));
    QTRY_VERIFY(QApplication::focusWidget() && f.sub(2)->isAncestorOf(QApplication::focusWidget()));
    f.type(QStringLiteral("due"));
    f.area().setActiveSubWindow(f.sub(1));
    QTRY_VERIFY(QApplication::focusWidget() && f.sub(1)->isAncestorOf(QApplication::focusWidget()));
    f.press(QKeySequence(QStringLiteral("Ctrl+Z")));
    QCOMPARE(f.textOf(1), QString());
    QCOMPARE(f.textOf(2), QStringLiteral("due"));
    f.press(QKeySequence(QStringLiteral("Ctrl+Y")));
    QCOMPARE(f.textOf(1), QStringLiteral("uno"));
    QCOMPARE(f.textOf(2), QStringLiteral("due"));
}

QTEST_MAIN(TestDocumentFocus)
#include "tst_documentfocus.moc"
