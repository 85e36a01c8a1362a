#include "mainwindowfixture.h"
#include "tests/support/documentloading.h"
#include "tests/support/screenreader.h"
#include "tests/support/testfiles.h"

#include "app/finddialog.h"
#include "document/frmdocument.h"
#include "text/textmodel.h"
#include "textview/lineeditaccessible.h"
#include "textview/textview.h"
#include "textview/textviewmenu.h"

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPushButton>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace {

// A shown main window with documents Documento1 to Documento<count>, the
// last one active, and the find dialog at hand.
struct Frame : MainWindowFixture
{
    explicit Frame(int count = 1)
    {
        window->resize(900, 700);
        window->Show();
        while (window->documents().size() < count)
            window->mnuFileNew_Click();
        viewFocused = QTest::qWaitFor([this] { return view().hasFocus(); });
    }
    bool viewFocused = false;
    TextView &view(int number = 0) const
    {
        frmDocument *document =
            number ? window->documents().at(number - 1) : window->activeDocument();
        return *qobject_cast<TextView *>(document->txtText);
    }
    FindDialog &dialog() const { return window->findDialog(); }
    // Keys go where the application sends them: to the focus widget.
    void press(QKeyCombination key) const
    {
        QWidget *target = QApplication::focusWidget() ? QApplication::focusWidget() : window.get();
        QTest::keyClick(target, key.key(), key.keyboardModifiers());
    }
    void type(const QString &text) const { QTest::keyClicks(QApplication::focusWidget(), text); }
    // What is selected in the active document, as "from-to".
    QString selection() const
    {
        const TextCursor &cursor = view().cursor();
        return QStringLiteral("%1-%2").arg(cursor.anchor()).arg(cursor.position());
    }
    // Opens the bytes as a file held in pieces of a few bytes each, and
    // makes its document the active one.
    TextView &openInPieces(const QByteArray &bytes)
    {
        const QString name = folder.filePath(QStringLiteral("pezzi%1.txt").arg(++files));
        put(name, bytes);
        window->loadSettings().piecesFrom = 0;
        window->loadSettings().pieceBudget = 0;
        window->loadSettings().reading.pieceSize = 7;
        MainWindowFixture::dialog->answer(name);
        window->mnuFileOpen_Click();
        waitForLoad(*window->activeDocument());
        view().setFocus();
        viewFocused = QTest::qWaitFor([this] { return view().hasFocus(); });
        return view();
    }
    // Whether a search still under way has ended, with the keyboard back in
    // the text box (the dialog takes it while the search runs).
    bool searchEnded() const
    {
        if (!QTest::qWaitFor([this] { return !note().startsWith(QStringLiteral("Ricerca di")); }))
            return false;
        if (view().hasFocus())
            return true;
        QApplication::setActiveWindow(window.get());
        view().setFocus();
        return QTest::qWaitFor([this] { return view().hasFocus(); });
    }
    QTemporaryDir folder;
    int files = 0;
};

// Ends the test program when what it watches has not returned in time: a
// hang is a failure, not a run that never ends.
class Watchdog
{
public:
    explicit Watchdog(std::chrono::seconds limit)
        : thread_([this, limit] {
              std::unique_lock lock(mutex_);
              if (!ended_.wait_for(lock, limit, [this] { return finished_; }))
                  qFatal("an accessible query did not return");
          })
    {
    }
    ~Watchdog()
    {
        {
            const std::lock_guard lock(mutex_);
            finished_ = true;
        }
        ended_.notify_one();
        thread_.join();
    }

private:
    std::mutex mutex_;
    std::condition_variable ended_;
    bool finished_ = false;
    std::thread thread_;
};

} // namespace

// The find dialog and the text box's find keys, as a person uses them.
class TestFindReplace : public QObject
{
    Q_OBJECT

private slots:
    void askingForTheDialog_data();
    void askingForTheDialog();
    void findAgainFromTheTextBox();
    void replaceOneThenAll();
    void neverSelectsHalfALetter();
    void everyWayVisitsTheSameMatches_data();
    void everyWayVisitsTheSameMatches();
    void searchInPiecesStops_data();
    void searchInPiecesStops();
    void actsOnTheDocumentActiveWhenPressed();
    void showsWholeAtAnyFontSize_data();
    void showsWholeAtAnyFontSize();
    void fieldsTellTheFocusFirst_data();
    void fieldsTellTheFocusFirst();
    void everyFieldAnswersEveryBoundary();
};

void TestFindReplace::askingForTheDialog_data()
{
    QTest::addColumn<int>("selectFrom");
    QTest::addColumn<int>("selectTo");
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("findText");
    QTest::addColumn<QString>("focused");
    QTest::addColumn<QString>("before"); // in the find field
    // The text is "uno due\r\ntre".
    QTest::newRow("Ctrl+F offers a selected word") << 4 << 7 << "Ctrl+F"
                                                   << "due"
                                                   << "findField"
                                                   << "prima";
    QTest::newRow("Ctrl+F keeps the last text for a selection of two lines") << 4 << 10 << "Ctrl+F"
                                                                             << "prima"
                                                                             << "findField"
                                                                             << "prima";
    QTest::newRow("Ctrl+F with nothing selected") << 2 << 2 << "Ctrl+F"
                                                  << "prima"
                                                  << "findField"
                                                  << "prima";
    QTest::newRow("Ctrl+H readies the replace field") << 0 << 3 << "Ctrl+H"
                                                      << "uno"
                                                      << "replaceField"
                                                      << "prima";
    QTest::newRow("Ctrl+H with nothing to find starts in Trova") << 2 << 2 << "Ctrl+H"
                                                                 << ""
                                                                 << "findField"
                                                                 << "";
    QTest::newRow("the context menu's entry") << 9 << 12 << "menu"
                                              << "tre"
                                              << "findField"
                                              << "prima";
}

void TestFindReplace::askingForTheDialog()
{
    QFETCH(int, selectFrom);
    QFETCH(int, selectTo);
    QFETCH(QString, how);
    QFETCH(QString, findText);
    QFETCH(QString, focused);
    QFETCH(QString, before);
    Frame f;
    f.dialog().findField->setText(before);
    TextView &view = f.view();
    view.setText(QStringLiteral("uno due\r\ntre"));
    view.select(selectFrom, selectTo);
    QTRY_VERIFY(view.hasFocus());
    if (how == u"menu") {
        const std::unique_ptr<QMenu> menu(TextViewMenu::create(view));
        const QList<QAction *> actions = menu->actions();
        const qsizetype find = actions.indexOf(menu->findChild<QAction *>("find"));
        QVERIFY(find >= 1 && find + 2 < actions.size() && actions[find - 1]->isSeparator());
        QCOMPARE(actions[find]->text(), QStringLiteral("&Trova e sostituisci..."));
        QCOMPARE(actions[find + 1]->text(), QStringLiteral("&Vai alla riga..."));
        actions[find]->trigger();
    } else {
        f.press(QKeySequence(how)[0]);
    }
    QVERIFY(f.dialog().isVisible());
    QCOMPARE(f.dialog().findField->text(), findText);
    QTRY_COMPARE(QApplication::focusWidget()->objectName(), focused);
}

// Ctrl+F, a word, Return; Escape gives the text box back with the match
// selected; F3 and Shift+F3 go on from there, round the ends; typing
// replaces the match.
void TestFindReplace::findAgainFromTheTextBox()
{
    Frame f;
    TextView &view = f.view();
    view.setText(QStringLiteral("uno due uno\r\ntre uno"));
    view.setSelStart(4);
    QTRY_VERIFY(view.hasFocus());
    f.press(Qt::CTRL | Qt::Key_F);
    QTRY_VERIFY(f.dialog().findField->hasFocus());
    f.type(QStringLiteral("UNO"));
    f.press(QKeyCombination(Qt::Key_Return));
    QCOMPARE(f.selection(), QStringLiteral("8-11"));
    QCOMPARE(f.note(), QString());
    f.press(QKeyCombination(Qt::Key_Escape));
    QVERIFY(!f.dialog().isVisible());
    QTRY_VERIFY(view.hasFocus());
    QCOMPARE(f.selection(), QStringLiteral("8-11"));

    f.press(QKeyCombination(Qt::Key_F3));
    QCOMPARE(f.selection(), QStringLiteral("17-20"));
    f.press(QKeyCombination(Qt::Key_F3));
    QCOMPARE(f.selection(), QStringLiteral("0-3"));
    QCOMPARE(f.note(), QStringLiteral("Ricerca ripresa dall'inizio"));
    f.press(Qt::SHIFT | Qt::Key_F3);
    QCOMPARE(f.selection(), QStringLiteral("17-20"));
    QCOMPARE(f.note(), QStringLiteral("Ricerca ripresa dalla fine"));
    f.press(Qt::SHIFT | Qt::Key_F3);
    QCOMPARE(f.selection(), QStringLiteral("8-11"));
    QCOMPARE(f.note(), QString());

    f.type(QStringLiteral("X"));
    QCOMPARE(view.Text(), QStringLiteral("uno due X\r\ntre uno"));

    // A miss says so and leaves the caret where it was.
    f.press(Qt::CTRL | Qt::Key_F);
    QTRY_VERIFY(f.dialog().findField->hasFocus());
    f.dialog().findField->setText(QStringLiteral("assente"));
    f.dialog().findPreviousButton->click();
    QCOMPARE(f.note(), QStringLiteral("Testo non trovato: \"assente\""));
    QCOMPARE(f.selection(), QStringLiteral("9-9"));
    // The note goes with the dialog.
    f.press(QKeyCombination(Qt::Key_Escape));
    QCOMPARE(f.note(), QString());
}

void TestFindReplace::replaceOneThenAll()
{
    Frame f;
    TextView &view = f.view();
    view.setText(QStringLiteral("gatto Gatto gattone gatto"));
    QVERIFY(f.viewFocused);
    FindDialog &dialog = f.dialog();
    ScreenReader reader(ScreenReader::announcements);
    f.press(Qt::CTRL | Qt::Key_H);
    dialog.findField->setText(QStringLiteral("gatto"));
    dialog.replaceField->setText(QStringLiteral("cane"));
    dialog.wholeWord->setChecked(true);
    // The first press finds, the next replaces what it found.
    dialog.replaceButton->click();
    QCOMPARE(view.Text(), QStringLiteral("gatto Gatto gattone gatto"));
    QCOMPARE(f.selection(), QStringLiteral("0-5"));
    dialog.replaceButton->click();
    QCOMPARE(view.Text(), QStringLiteral("cane Gatto gattone gatto"));
    QCOMPARE(f.selection(), QStringLiteral("5-10"));

    dialog.matchCase->setChecked(true);
    dialog.replaceAllButton->click();
    QCOMPARE(view.Text(), QStringLiteral("cane Gatto gattone cane"));
    QCOMPARE(f.note(), QStringLiteral("1 sostituzione"));
    dialog.matchCase->setChecked(false);
    dialog.wholeWord->setChecked(false);
    dialog.replaceField->setText(QStringLiteral("topo"));
    dialog.replaceAllButton->click();
    QCOMPARE(view.Text(), QStringLiteral("cane topo topone cane"));
    QCOMPARE(f.note(), QStringLiteral("2 sostituzioni"));
    dialog.replaceAllButton->click();
    QCOMPARE(f.note(), QStringLiteral("Testo non trovato: \"gatto\""));
    // A screen reader hears each outcome the status bar shows.
    QCOMPARE(reader.heard,
             QStringList({"1 sostituzione", "2 sostituzioni", "Testo non trovato: \"gatto\""}));
    // Each Sostituisci tutto is one step of the text box's undo; a note
    // about the text as it was leaves with the change.
    QVERIFY(view.undo());
    QCOMPARE(f.note(), QString());
    QCOMPARE(view.Text(), QStringLiteral("cane Gatto gattone cane"));
    QVERIFY(view.undo());
    QCOMPARE(view.Text(), QStringLiteral("cane Gatto gattone gatto"));
    QVERIFY(view.redo());
    QVERIFY(view.redo());
    QCOMPARE(view.Text(), QStringLiteral("cane topo topone cane"));
}

// "cafe" followed by a combining accent is "café": F3 goes past it, again
// and again, rather than selecting "caf" each time.
void TestFindReplace::neverSelectsHalfALetter()
{
    Frame f;
    f.view().setText(QStringLiteral("cafe\u0301 cafe cafe\u0301"));
    f.press(Qt::CTRL | Qt::Key_F);
    f.dialog().findField->setText(QStringLiteral("cafe"));
    f.dialog().findNextButton->click();
    QCOMPARE(f.selection(), QStringLiteral("6-10"));
    f.dialog().findNextButton->click();
    QCOMPARE(f.selection(), QStringLiteral("6-10"));
    QCOMPARE(f.note(), QStringLiteral("Ricerca ripresa dall'inizio"));
    f.dialog().findPreviousButton->click();
    QCOMPARE(f.selection(), QStringLiteral("6-10"));
}

void TestFindReplace::everyWayVisitsTheSameMatches_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("needle");
    QTest::addColumn<bool>("matchCase");
    QTest::addColumn<bool>("wholeWord");
    QTest::addColumn<int>("caret"); // before Sostituisci tutto, and after undoing it
    // The text is a file's, held in its pieces, and searched on threads.
    QTest::addColumn<bool>("inPieces");
    QTest::newRow("decomposed letters") << "caffe\u0301 cafe e\u0301e CAFFE e\u0301"
                                        << "e" << false << false << 3 << false;
    QTest::newRow("a decomposed letter whole") << "cafe\u0301 cafe\u0301cafe\u0301 e"
                                               << "e\u0301" << true << false << 0 << false;
    QTest::newRow("pictographs joined and alone")
        << "\U0001F469\u200d\U0001F4BB \U0001F4BB \U0001F1EE\U0001F1F9\U0001F4BB"
        << "\U0001F4BB" << true << false << 5 << false;
    QTest::newRow("letters beyond U+FFFF in any case")
        << "\U00010400\U00010401 \U00010428"
        << "\U00010428" << false << false << 0 << false;
    QTest::newRow("whole words after an apostrophe") << "dell'uomo uomini l'uomo\r\nuomo"
                                                     << "uomo" << false << true << 5 << false;
    QTest::newRow("the caret after two letters of three") << "aaa bbb aaa bbb aaa"
                                                          << "aaa" << true << false << 2 << false;
    QTest::newRow("lines of a file in pieces, any case") << "uno\nUNO due\ndue uno\nunodue\n\nuno"
                                                         << "uno" << false << false << 5 << true;
    QTest::newRow("accents of a file in pieces, whole words")
        << "perch\u00e9\nPerch\u00c9 s\u00ec\nperch\u00e9no\n"
        << "perch\u00e9" << false << true << 9 << true;
    QTest::newRow("line breaks of a file in pieces, match case")
        << "a\r\nb\r\na\r\nB\r\na\r\n"
        << "\r\na" << true << false << 0 << true;
}

// Trova successivo, F3, Shift+F3, Sostituisci and Sostituisci tutto visit
// the same matches, one for one, on text whose characters are more than one
// unit; Sostituisci tutto is undone with the caret where it was.
void TestFindReplace::everyWayVisitsTheSameMatches()
{
    QFETCH(QString, text);
    QFETCH(QString, needle);
    QFETCH(bool, matchCase);
    QFETCH(bool, wholeWord);
    QFETCH(int, caret);
    QFETCH(bool, inPieces);
    Frame f;
    QVERIFY(f.viewFocused);
    TextView &view = inPieces ? f.openInPieces(text.toUtf8()) : f.view();
    FindDialog &dialog = f.dialog();
    if (inPieces) {
        QVERIFY(view.model().storedLength() > 0);
        text = view.Text(); // an unterminated last line reads with its line end
    } else {
        view.setText(text);
    }
    f.press(Qt::CTRL | Qt::Key_H);
    dialog.findField->setText(needle);
    dialog.replaceField->setText(QStringLiteral("#"));
    dialog.matchCase->setChecked(matchCase);
    dialog.wholeWord->setChecked(wholeWord);
    const QString wrapped = QStringLiteral("Ricerca ripresa dall'inizio");

    QStringList forward;
    dialog.findNextButton->click();
    while (f.searchEnded() && f.note() != wrapped && forward.size() <= text.size()) {
        forward << f.selection();
        f.press(QKeyCombination(Qt::Key_F3));
    }
    QCOMPARE(f.selection(), forward.value(0));
    QVERIFY(!forward.isEmpty());

    QStringList backward;
    view.moveCaret(text.size());
    f.press(Qt::SHIFT | Qt::Key_F3);
    while (f.searchEnded() && f.note().isEmpty() && backward.size() <= text.size()) {
        backward.prepend(f.selection());
        f.press(Qt::SHIFT | Qt::Key_F3);
    }
    QCOMPARE(backward, forward);

    QString replaced = text;
    for (auto match = forward.crbegin(); match != forward.crend(); ++match) {
        const int from = match->section(u'-', 0, 0).toInt();
        replaced.replace(from, match->section(u'-', 1).toInt() - from, QStringLiteral("#"));
    }
    view.moveCaret(0);
    for (int presses = 0; view.Text().count(u'#') < forward.size() && presses <= text.size();
         ++presses) {
        dialog.replaceButton->click();
        QVERIFY(f.searchEnded());
    }
    QCOMPARE(view.Text(), replaced);

    view.setText(text);
    view.moveCaret(caret);
    dialog.replaceAllButton->click();
    QCOMPARE(view.Text(), replaced);
    f.press(Qt::CTRL | Qt::Key_Z);
    QCOMPARE(view.Text(), text);
    QCOMPARE(f.selection(), QStringLiteral("%1-%1").arg(caret));
}

void TestFindReplace::searchInPiecesStops_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("Esc") << "Esc";
    QTest::newRow("an edit") << "edit";
    QTest::newRow("the document closed") << "close";
}

// A search through a document in pieces runs while the window stays live,
// and stops at once: Esc stops it (and only it), an edit or closing the
// document stops it without a word.
void TestFindReplace::searchInPiecesStops()
{
    QFETCH(QString, how);
    Frame f;
    QByteArray bytes;
    for (int i = 0; i < 20000; ++i)
        bytes += "riga " + QByteArray::number(i) + "\n";
    TextView &view = f.openInPieces(bytes + "ultima riga\n");
    f.press(Qt::CTRL | Qt::Key_F);
    f.dialog().findField->setText(QStringLiteral("ultima"));
    f.dialog().findNextButton->click();
    QCOMPARE(f.note(), QStringLiteral("Ricerca di \"ultima\" in corso (Esc per interrompere)"));
    if (how == u"close") {
        f.window->activeDocument()->close();
        QTRY_COMPARE(f.note(), QString());
        return;
    }
    if (how == u"edit") {
        view.insertText(QStringLiteral("x"));
        QCOMPARE(f.note(), QString());
    }
    // Esc stops a search still under way; with none, it closes the dialog.
    QTest::keyClick(f.dialog().findField, Qt::Key_Escape);
    QCOMPARE(f.note(), how == u"Esc" ? QStringLiteral("Ricerca interrotta") : QString());
    QCOMPARE(f.dialog().isVisible(), how == u"Esc");
    f.press(Qt::CTRL | Qt::Key_F);
    f.dialog().findField->setText(QStringLiteral("riga 3"));
    f.dialog().findNextButton->click();
    QVERIFY(f.searchEnded());
    const qint64 three = bytes.indexOf("riga 3\n") + (how == u"edit");
    QCOMPARE(f.selection(), QStringLiteral("%1-%2").arg(three).arg(three + 6));
}

void TestFindReplace::actsOnTheDocumentActiveWhenPressed()
{
    Frame f(2);
    QVERIFY(f.viewFocused);
    for (int number : {1, 2})
        f.view(number).setText(QStringLiteral("a b a b"));
    f.press(Qt::CTRL | Qt::Key_F);
    f.dialog().findField->setText(QStringLiteral("b"));
    QMdiArea &area = *f.window->documentArea();
    area.setActiveSubWindow(area.subWindowList(QMdiArea::CreationOrder).first());
    f.dialog().findNextButton->click();
    QCOMPARE(f.view(1).SelText(), QStringLiteral("b"));
    QCOMPARE(f.view(2).SelLength(), 0);
    f.dialog().replaceAllButton->click();
    QCOMPARE(f.view(1).Text(), QStringLiteral("a  a "));
    QCOMPARE(f.view(2).Text(), QStringLiteral("a b a b"));
}

void TestFindReplace::showsWholeAtAnyFontSize_data()
{
    QTest::addColumn<int>("pointSize");
    QTest::newRow("small") << 7;
    QTest::newRow("usual") << 10;
    QTest::newRow("large") << 28;
}

// Every text keeps the room it needs, and the fields room for a few words.
void TestFindReplace::showsWholeAtAnyFontSize()
{
    QFETCH(int, pointSize);
    Frame f;
    QVERIFY(f.viewFocused);
    FindDialog &dialog = f.dialog();
    QFont font = dialog.font();
    font.setPointSize(pointSize);
    dialog.setFont(font);
    f.press(Qt::CTRL | Qt::Key_F);
    QVERIFY(dialog.isVisible());
    const QFontMetrics metrics(font);
    const auto shownWhole = [&](QWidget *child) {
        const QString text = child->property("text").toString().remove(u'&');
        return child->width() >= child->minimumSizeHint().width() &&
               child->height() >= child->minimumSizeHint().height() &&
               child->width() >= metrics.horizontalAdvance(text) &&
               child->height() >= metrics.height() && dialog.rect().contains(child->geometry());
    };
    for (QWidget *child : dialog.findChildren<QWidget *>())
        if (qobject_cast<QLabel *>(child) || qobject_cast<QAbstractButton *>(child))
            QTRY_VERIFY2(shownWhole(child), qPrintable(child->property("text").toString()));
    QVERIFY(dialog.findField->width() >= 20 * metrics.averageCharWidth());
}

void TestFindReplace::fieldsTellTheFocusFirst_data()
{
    QTest::addColumn<QString>("keys"); // from the text box, then in the dialog
    QTest::addColumn<QString>("field");
    QTest::newRow("Ctrl+F") << "Ctrl+F"
                            << "findField";
    QTest::newRow("Ctrl+H") << "Ctrl+H"
                            << "replaceField";
    QTest::newRow("Tab into Sostituisci con") << "Ctrl+F, Tab"
                                              << "replaceField";
    QTest::newRow("Shift+Tab back into Trova") << "Ctrl+H, Shift+Tab"
                                               << "findField";
}

// A field reached by a person is told as focused before its text is told
// as selected, with its label as its name: a screen reader that hears the
// selection first says nothing of the field.
void TestFindReplace::fieldsTellTheFocusFirst()
{
    QFETCH(QString, keys);
    QFETCH(QString, field);
    Frame f;
    QVERIFY(f.viewFocused);
    f.dialog().findField->setText(QStringLiteral("uno"));
    f.dialog().replaceField->setText(QStringLiteral("due"));
    ScreenReader reader([](QAccessibleEvent *event, QStringList &heard) {
        auto *edit = qobject_cast<QLineEdit *>(event->object());
        if (!edit)
            return;
        if (event->type() == QAccessible::Focus)
            heard << QStringLiteral("focus %1 %2")
                         .arg(edit->objectName(),
                              event->accessibleInterface()->text(QAccessible::Name));
        if (event->type() == QAccessible::TextSelectionChanged) {
            const auto *selection = static_cast<QAccessibleTextSelectionEvent *>(event);
            heard << QStringLiteral("selection %1 %2-%3")
                         .arg(edit->objectName())
                         .arg(selection->selectionStart())
                         .arg(selection->selectionEnd());
        }
    });
    const QKeySequence sequence(keys);
    // Each key goes where the one before has put the keyboard: into the
    // dialog once it has taken the focus.
    for (int i = 0; i < sequence.count(); ++i) {
        f.press(sequence[i]);
        QTRY_VERIFY(f.dialog().isAncestorOf(QApplication::focusWidget()));
    }
    QTRY_COMPARE(QApplication::focusWidget()->objectName(), field);
    const QString selected = QStringLiteral("selection %1 0-3").arg(field);
    QTRY_VERIFY(reader.heard.contains(selected));
    const QStringList heard = reader.heard.filter(field);
    const QString label = field == u"findField" ? "Trova:" : "Sostituisci con:";
    QCOMPARE(heard.first(), QStringLiteral("focus %1 %2").arg(field, label));
    QVERIFY(heard.indexOf(selected) > 0);
}

// A screen reader may ask any field for any item at any offset, the end of
// the text included (as it does on Ctrl+Left): the find dialog's fields and
// the file dialog's answer every time, within the text. A watchdog ends the
// test if an answer never comes.
void TestFindReplace::everyFieldAnswersEveryBoundary()
{
    AccessibleEditableText::install();
    Frame f;
    QVERIFY(f.viewFocused);
    f.press(Qt::CTRL | Qt::Key_F);
    QFileDialog files(f.window.get());
    files.setOption(QFileDialog::DontUseNativeDialog);
    files.show();
    QList<QLineEdit *> fields = f.dialog().findChildren<QLineEdit *>();
    fields += files.findChildren<QLineEdit *>();
    QVERIFY(fields.size() >= 3);
    const QStringList texts = {QStringLiteral("due parole"), QString(), QStringLiteral("  "),
                               QStringLiteral("gi\u00e0 \u00e8."),
                               QStringLiteral("a\U0001D11E, b")};
    const QList<QAccessible::TextBoundaryType> types = {
        QAccessible::CharBoundary, QAccessible::WordBoundary,      QAccessible::SentenceBoundary,
        QAccessible::LineBoundary, QAccessible::ParagraphBoundary, QAccessible::NoBoundary};
    const Watchdog watchdog(std::chrono::seconds(60));
    for (QLineEdit *field : std::as_const(fields)) {
        QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(field);
        QVERIFY2(dynamic_cast<LineEditAccessible *>(accessible), qPrintable(field->objectName()));
        QAccessibleTextInterface *reader = accessible->textInterface();
        for (const QString &text : texts) {
            field->setText(text);
            for (int offset = -2; offset <= text.size() + 1; ++offset)
                for (QAccessible::TextBoundaryType type : types)
                    for (int side = -1; side <= 1; ++side) {
                        int start = -5;
                        int end = -5;
                        const QString found =
                            side < 0   ? reader->textBeforeOffset(offset, type, &start, &end)
                            : side > 0 ? reader->textAfterOffset(offset, type, &start, &end)
                                       : reader->textAtOffset(offset, type, &start, &end);
                        QVERIFY(0 <= start && start <= end && end <= text.size());
                        QCOMPARE(found, text.mid(start, end - start));
                    }
        }
    }
    // The word at the end of the text is the last one, as Ctrl+Left reads it.
    QLineEdit *find = f.dialog().findField;
    find->setText(QStringLiteral("due parole"));
    int start = 0;
    int end = 0;
    QAccessibleTextInterface *reader = QAccessible::queryAccessibleInterface(find)->textInterface();
    QCOMPARE(reader->textAtOffset(10, QAccessible::WordBoundary, &start, &end), u"parole");
    QCOMPARE(reader->textAtOffset(0, QAccessible::WordBoundary, &start, &end), u"due ");
}

QTEST_MAIN(TestFindReplace)
#include "tst_findreplace.moc"
