#include "app/commandline.h"
#include "app/finddialog.h"
#include "app/formatmenu.h"
#include "mainwindowfixture.h"
#include "tests/support/documentloading.h"
#include "tests/support/fakedocumenthost.h"
#include "tests/support/testfiles.h"

#include "document/diskfile.h"
#include "document/documenthost.h"
#include "document/documentload.h"
#include "document/filecommands.h"
#include "document/frmdocument.h"
#include "platform/inotifywatcher.h"
#include "platform/textbox.h"
#include "text/textmodel.h"
#include "textfile/detection.h"
#include "textfile/loadedfile.h"
#include "textfile/snapshotcheck.h"
#include "textview/textview.h"

#include "textfilesamples.h"

#include <QAction>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMimeData>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <QTranslator>

#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <future>
#include <memory>
#include <mutex>
#include <thread>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif
#ifdef Q_OS_LINUX
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#endif
#include <sys/stat.h>

namespace {

QString cannotOpen(const QString &path)
{
    return QStringLiteral("Impossibile aprire il file \"%1\".").arg(path);
}

QString cannotSave(const QString &path)
{
    return QStringLiteral("Impossibile salvare il file \"%1\".").arg(path);
}

QString textOf(frmDocument *document)
{
    return document->ActiveControl().Text();
}

// Types text as keys: Return for a line break, each character (a pair of
// surrogates together) as the text of a key.
void typeKeys(QWidget &box, const QString &text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'\n') {
            QTest::keyClick(&box, Qt::Key_Return);
            continue;
        }
        const qsizetype length = text[i].isHighSurrogate() ? 2 : 1;
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, text.mid(i, length));
        QApplication::sendEvent(&box, &press);
        i += length - 1;
    }
}

// A shown main window on test doubles, with helpers for the file commands.
struct Editor : MainWindowFixture
{
    explicit Editor(std::unique_ptr<FileWatcher> watcher = {})
        : MainWindowFixture({}, std::move(watcher))
    {
        window->Show();
    }

    frmDocument *active() const { return window->activeDocument(); }
    QStringList titles() const
    {
        QStringList result;
        for (const frmDocument *document : window->documents())
            result << document->Caption();
        return result;
    }
    void activate(frmDocument *document)
    {
        window->documentArea()->setActiveSubWindow(
            qobject_cast<QMdiSubWindow *>(document->parentWidget()));
    }
    void closeAll()
    {
        window->documentArea()->closeAllSubWindows();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    /// Opens a file through Open and waits until it has loaded.
    frmDocument *open(const QString &path)
    {
        dialog->answer(path);
        window->mnuFileOpen_Click();
        if (active())
            waitForLoad(*active());
        return active();
    }
    void saveAs(const QString &path)
    {
        dialog->answer(path);
        window->mnuFileSaveAs_Click();
    }
    /// The entry of the status bar's encoding menu at the end of a path of
    /// captions, "&" left out ("Fine riga>LF (Unix)"); an encoding is
    /// looked for among the others too. nullptr when there is none.
    QAction *formatEntry(const QString &path) const
    {
        auto *menu = window->findChild<FormatMenu *>(QStringLiteral("formatMenu"));
        menu->rebuild();
        QList<QAction *> entries = menu->actions();
        QAction *found = nullptr;
        for (const QString &step : path.split(u'>')) {
            found = nullptr;
            for (qsizetype i = 0; i < entries.size() && !found; ++i) {
                if (entries[i]->text().remove(u'&') == step)
                    found = entries[i];
                else if (entries[i]->menu() && entries[i]->text() == u"&Altre codifiche")
                    entries += entries[i]->menu()->actions();
            }
            if (!found)
                return nullptr;
            entries = found->menu() ? found->menu()->actions() : QList<QAction *>();
        }
        return found;
    }
    /// Chooses that entry, as a click does; false when it is missing or
    /// cannot be chosen.
    bool chooseFormat(const QString &path)
    {
        QAction *entry = formatEntry(path);
        if (!entry || !entry->isEnabled() || !entry->parentWidget()->isEnabled())
            return false;
        entry->trigger();
        return true;
    }
    QAction *toolbarButton(const QString &key) const
    {
        for (QAction *action : find<QToolBar>("tbToolBar")->actions())
            if (action->data().toString() == key)
                return action;
        return nullptr;
    }
};

// Runs in a child process of this test: saves a document over target after
// making that impossible in a way that even root cannot get around.
// Prints the messages shown; exits with 77 when the machine does not allow
// the set-up.
// Bind mounts in a mount namespace of this process only: the folder made
// read-only, or the file mounted on itself, so that nothing can be renamed
// over it. False where the system does not allow it.
bool makeUnreplaceable(const QByteArray &mode, const QByteArray &target)
{
#ifdef Q_OS_LINUX
    QByteArray mountPoint = target;
    if (mode == "read-only-folder")
        mountPoint.truncate(mountPoint.lastIndexOf('/'));
    if (unshare(CLONE_NEWNS) != 0 ||
        mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
        mount(mountPoint.constData(), mountPoint.constData(), nullptr, MS_BIND, nullptr) != 0)
        return false;
    return mode != "read-only-folder" || mount(nullptr, mountPoint.constData(), nullptr,
                                               MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) == 0;
#else
    Q_UNUSED(mode);
    Q_UNUSED(target);
    return false;
#endif
}

// Writing past 1000 bytes then fails as on a full disk. False where the
// system does not allow it.
bool limitFileSize()
{
#ifdef Q_OS_LINUX
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{1000, 1000};
    return setrlimit(RLIMIT_FSIZE, &limit) == 0;
#else
    return false;
#endif
}

int saveInChild(int argc, char **argv)
{
    const QByteArray mode = argv[2];
    const QByteArray target = argv[3];
    if ((mode == "read-only-folder" || mode == "mounted-file") && !makeUnreplaceable(mode, target))
        return 77;
    QApplication app(argc, argv);
    Editor editor;
    // A short text stays in the file's buffer until it is flushed.
    editor.active()->ActiveControl().setText(
        QString(mode == "size-limit-short" ? 5000 : 100000, u'n'));
    if (mode.startsWith("size-limit") && !limitFileSize())
        return 77;
    editor.saveAs(QString::fromLocal8Bit(target));
    for (const QString &message : editor.messages->messages)
        std::fputs(qPrintable(message + QStringLiteral("\n---\n")), stdout);
    return 0;
}

#ifdef Q_OS_UNIX
// A FIFO whose writer never writes: a read of it waits for as long as the
// writer is there. The writer goes with this object, or after twenty
// seconds, so that a program that waits for the read fails the test
// rather than hanging it.
class StuckFifo
{
public:
    explicit StuckFifo(const QString &path)
    {
        const QByteArray name = QFile::encodeName(path);
        if (::mkfifo(name.constData(), 0600) != 0 ||
            (writer_ = ::open(name.constData(), O_RDWR)) < 0)
            qFatal("cannot make the FIFO %s", name.constData());
        watchdog_ = std::thread([this] {
            std::unique_lock lock(mutex_);
            waitedOn_ = !ended_.wait_for(lock, std::chrono::seconds(20), [this] { return done_; });
            ::close(writer_);
        });
    }
    ~StuckFifo()
    {
        {
            const std::lock_guard lock(mutex_);
            done_ = true;
        }
        ended_.notify_one();
        watchdog_.join();
    }
    /// Whether the writer had to go before the program went on.
    bool waitedOn()
    {
        const std::lock_guard lock(mutex_);
        return waitedOn_;
    }

private:
    int writer_ = -1;
    std::mutex mutex_;
    std::condition_variable ended_;
    bool done_ = false;
    bool waitedOn_ = false;
    std::thread watchdog_;
};
#endif

} // namespace

class TestFileCommands : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void openGivesTheLinesWithCrLf_data();
    void openGivesTheLinesWithCrLf();
    void cancelledOpenConsumesNoNumber();
    void openedFilesConsumeNumbers();
    void saveOfNeverSavedDocumentGoesToCurrentFolder();
    void saveAsThenSave();
    void cancelledSaveAsAfterOpenWritesNothing();
    void commandsWithoutDocumentDoNothing();
    void toolbarRunsOpenAndSave();
    void sameFileInTwoWindows();
    void randomFilesSurviveOpenAndSave();
    void piecesSaveAsTheTextInMemory_data();
    void piecesSaveAsTheTextInMemory();
    void documentInPiecesIsSavedAsAStream_data();
    void documentInPiecesIsSavedAsAStream();
    void documentInPiecesAfterAnotherProgram_data();
    void documentInPiecesAfterAnotherProgram();
    void typedCharactersAreSavedAsTyped_data();
    void typedCharactersAreSavedAsTyped();

    void failedOpenClosesItsWindow_data();
    void failedOpenClosesItsWindow();
    void failedSaveKeepsTheOldFile_data();
    void failedSaveKeepsTheOldFile();
    void unrepresentableTextIsNotSaved_data();
    void unrepresentableTextIsNotSaved();
    void chosenFormatIsSaved_data();
    void chosenFormatIsSaved();
    void textsAreHeldAgainstTheMemoryLeft_data();
    void textsAreHeldAgainstTheMemoryLeft();
    void failuresAreReportedAsWarnings_data();
    void failuresAreReportedAsWarnings();
    void failedSaveInChildKeepsTheOldFile_data();
    void failedSaveInChildKeepsTheOldFile();
    void otherProgramChangesTheFile_data();
    void otherProgramChangesTheFile();
    void fileWatchFollowsTheName();

    void closeDuringALoad_data();
    void closeDuringALoad();
    void commandsDuringALoad_data();
    void commandsDuringALoad();
    void otherCommandsRunDuringALoad_data();
    void otherCommandsRunDuringALoad();
    void typingAtTheEndDuringALoad();
    void fileChangedWhileLoading_data();
    void fileChangedWhileLoading();
    void failedLoadKeepsWhatWasTyped_data();
    void failedLoadKeepsWhatWasTyped();

    void commandLine_data();
    void commandLine();
    void droppedFilesOpen_data();
    void droppedFilesOpen();

private:
    QString path(const QString &name) const { return dir_->filePath(name); }
    /// The files that the command-line and drop tests name, and a folder.
    void putNamedFiles() const
    {
        put(path(QStringLiteral("uno.txt")), "uno\r\n");
        put(path(QStringLiteral("due.txt")), "due\r\n");
        put(path(QStringLiteral("con spazio.txt")), "spazio\r\n");
        put(path(QStringLiteral("-x.txt")), "x\r\n");
        QDir(dir_->path()).mkdir(QStringLiteral("sotto"));
    }

    std::unique_ptr<QTemporaryDir> dir_;
};

void TestFileCommands::init()
{
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(dir_->isValid());
}

void TestFileCommands::openGivesTheLinesWithCrLf_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("text");

    QTest::newRow("empty file") << QByteArray() << QString();
    QTest::newRow("no final line end") << QByteArray("a\r\nb") << QStringLiteral("a\r\nb\r\n");
    QTest::newRow("lf only") << QByteArray("a\nb\nc") << QStringLiteral("a\nb\nc\n");
    QTest::newRow("lf and a cr") << QByteArray("a\nb\rc") << QStringLiteral("a\nb\r\nc\r\n");
    QTest::newRow("cr only") << QByteArray("a\rb\r") << QStringLiteral("a\r\nb\r\n");
    QTest::newRow("two final crlf") << QByteArray("a\r\n\r\n") << QStringLiteral("a\r\n\r\n");
    QTest::newRow("crlf file") << QByteArray("uno\r\ndue\r\n") << QStringLiteral("uno\r\ndue\r\n");
}

// Open puts the file in a new window titled with its full path; Save then
// writes the text back as it is, adding no line end.
void TestFileCommands::openGivesTheLinesWithCrLf()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, text);
    const QString name = path(QStringLiteral("file.txt"));
    put(name, file);
    Editor editor;
    frmDocument *document = editor.open(name);
    QCOMPARE(editor.titles(), QStringList({QStringLiteral("Documento1"), name}));
    QCOMPARE(document->Caption(), name);
    QCOMPARE(textOf(document), text);
    QCOMPARE(document->ActiveControl().SelStart(), 0);
    // The load is not a step: there is nothing to undo.
    QVERIFY(!document->text().history().canUndo());

    editor.window->mnuFileSave_Click();
    QCOMPARE(contents(name), text.toLatin1());
    QVERIFY(editor.messages->messages.isEmpty());
}

void TestFileCommands::cancelledOpenConsumesNoNumber()
{
    Editor editor;
    frmDocument *before = editor.active();
    editor.dialog->setFileName(QStringLiteral("left from before"));
    editor.dialog->answer(QString());
    editor.window->mnuFileOpen_Click();
    QCOMPARE(editor.dialog->startNames, QStringList({QString()}));
    QCOMPARE(editor.titles(), QStringList({QStringLiteral("Documento1")}));
    QCOMPARE(editor.active(), before);
    QVERIFY(before->isVisible());
    QCOMPARE(editor.window->documentCounter().value(), 1);
    editor.window->mnuFileNew_Click();
    QCOMPARE(editor.active()->Caption(), QStringLiteral("Documento2"));
    QVERIFY(editor.messages->messages.isEmpty());
}

void TestFileCommands::openedFilesConsumeNumbers()
{
    put(path(QStringLiteral("a.txt")), "a");
    put(path(QStringLiteral("b.txt")), "b");
    Editor editor;
    editor.open(path(QStringLiteral("a.txt")));
    editor.open(path(QStringLiteral("b.txt")));
    editor.window->mnuFileNew_Click();
    QCOMPARE(editor.titles(),
             QStringList({QStringLiteral("Documento1"), path(QStringLiteral("a.txt")),
                          path(QStringLiteral("b.txt")), QStringLiteral("Documento4")}));
}

void TestFileCommands::saveOfNeverSavedDocumentGoesToCurrentFolder()
{
    const QString previous = QDir::currentPath();
    QVERIFY(QDir::setCurrent(dir_->path()));
    put(path(QStringLiteral("Documento3")), "old contents that are longer");
    Editor editor;
    editor.window->mnuFileNew_Click();
    editor.window->mnuFileNew_Click();
    editor.active()->ActiveControl().setText(QStringLiteral("riga\r\nfine"));
    editor.window->mnuFileSave_Click();
    const QByteArray saved = contents(path(QStringLiteral("Documento3")));
    QDir::setCurrent(previous);
    QCOMPARE(saved, QByteArray("riga\r\nfine"));
    QCOMPARE(editor.active()->Caption(), QStringLiteral("Documento3"));
    QVERIFY(editor.messages->messages.isEmpty());
}

void TestFileCommands::saveAsThenSave()
{
    const QString original = path(QStringLiteral("original.txt"));
    const QString copy = path(QStringLiteral("copy.txt"));
    put(original, "prima\r\n");
    Editor editor;
    frmDocument *document = editor.open(original);
    document->ActiveControl().setText(QStringLiteral("seconda\r\n"));
    editor.saveAs(copy);
    QCOMPARE(contents(copy), QByteArray("seconda\r\n"));
    QCOMPARE(contents(original), QByteArray("prima\r\n"));
    QCOMPARE(document->Caption(), original);

    document->ActiveControl().setText(QStringLiteral("terza"));
    editor.window->mnuFileSave_Click();
    QCOMPARE(contents(original), QByteArray("terza"));
    QCOMPARE(contents(copy), QByteArray("seconda\r\n"));
}

void TestFileCommands::cancelledSaveAsAfterOpenWritesNothing()
{
    const QString name = path(QStringLiteral("kept.txt"));
    put(name, "kept\r\n");
    Editor editor;
    editor.open(name)->ActiveControl().setText(QStringLiteral("changed"));
    editor.dialog->answer(QString());
    editor.window->mnuFileSaveAs_Click();
    // The dialog started empty, not with the path the Open left in it.
    QCOMPARE(editor.dialog->shown, QStringList({QStringLiteral("open"), QStringLiteral("save")}));
    QCOMPARE(editor.dialog->startNames.last(), QString());
    QCOMPARE(contents(name), QByteArray("kept\r\n"));
    QCOMPARE(QDir(dir_->path()).entryList(QDir::Files), QStringList({QStringLiteral("kept.txt")}));
}

void TestFileCommands::commandsWithoutDocumentDoNothing()
{
    const QString previous = QDir::currentPath();
    QVERIFY(QDir::setCurrent(dir_->path()));
    Editor editor;
    editor.closeAll();
    QCOMPARE(editor.active(), nullptr);
    editor.window->mnuFileClose_Click();
    editor.window->mnuFileSave_Click();
    editor.window->mnuFileSaveAs_Click();
    editor.dialog->answer(QString());
    editor.window->mnuFileOpen_Click();
    const QStringList files = QDir(dir_->path()).entryList(QDir::Files);
    QDir::setCurrent(previous);
    QVERIFY2(files.isEmpty(), qPrintable(files.join(u' ')));
    QCOMPARE(editor.dialog->shown, QStringList({QStringLiteral("open")}));
    QVERIFY(editor.messages->messages.isEmpty());
    QCOMPARE(editor.active(), nullptr);

    // Open still works with no document open.
    put(path(QStringLiteral("there.txt")), "x");
    QCOMPARE(textOf(editor.open(path(QStringLiteral("there.txt")))), QStringLiteral("x\r\n"));
}

void TestFileCommands::toolbarRunsOpenAndSave()
{
    const QString name = path(QStringLiteral("toolbar.txt"));
    put(name, "dalla barra");
    Editor editor;
    QAction *open = editor.toolbarButton(QStringLiteral("Open"));
    QAction *save = editor.toolbarButton(QStringLiteral("Save"));
    QVERIFY(open && save);
    editor.dialog->answer(name);
    open->trigger();
    QCOMPARE(editor.active()->Caption(), name);
    QVERIFY(waitForLoad(*editor.active()));
    editor.active()->ActiveControl().setText(QStringLiteral("salvato"));
    save->trigger();
    QCOMPARE(contents(name), QByteArray("salvato"));
}

// Nothing is locked between commands: each window's Save replaces the file
// with its own text.
void TestFileCommands::sameFileInTwoWindows()
{
    const QString name = path(QStringLiteral("shared.txt"));
    put(name, "comune\r\n");
    Editor editor;
    frmDocument *first = editor.open(name);
    frmDocument *second = editor.open(name);
    QVERIFY(first != second);
    first->ActiveControl().setText(QStringLiteral("primo"));
    second->ActiveControl().setText(QStringLiteral("secondo"));
    editor.window->mnuFileSave_Click();
    QCOMPARE(contents(name), QByteArray("secondo"));
    editor.activate(first);
    editor.window->mnuFileSave_Click();
    QCOMPARE(contents(name), QByteArray("primo"));
    QCOMPARE(textOf(editor.open(name)), QStringLiteral("primo\r\n"));
}

void TestFileCommands::randomFilesSurviveOpenAndSave()
{
    Editor editor;
    QRandomGenerator random(99);
    const QString name = path(QStringLiteral("random.txt"));
    LoadSettings &settings = editor.window->loadSettings();
    settings.reading.pieceSize = 7;
    for (int round = 0; round < 300; ++round) {
        // Every other file is held in pieces of a few bytes, copied from the
        // file by the save, then from the file the save wrote.
        settings.piecesFrom = round % 2 ? 0 : LoadSettings().piecesFrom;
        const QByteArray file = randomFile(random);
        QFile::remove(name);
        put(name, file);
        editor.open(name);
        editor.window->mnuFileSave_Click();
        const TextFileFormat::FileFormat format = TextFileFormat::detectFormat(file, file.size());
        const QByteArray saved = contents(name);
        if (format.encoding.unitSize() == 1) // the others are the file format's tests
            QCOMPARE(saved, normalised(file, format.lineBreak, format.encoding.mark().size()));
        editor.window->mnuFileSave_Click();
        QCOMPARE(contents(name), saved);
        editor.window->mnuFileClose_Click();
    }
    QVERIFY(editor.messages->messages.isEmpty());
}

void TestFileCommands::piecesSaveAsTheTextInMemory_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QByteArray>("odd");
    QTest::newRow("a lone CR among lines that end in LF") << QByteArray("riga\n")
                                                          << QByteArray("a\rb\n");
    QTest::newRow("a lone CR among lines that end in CR LF") << QByteArray("riga\r\n")
                                                             << QByteArray("a\rb\r\n");
    QTest::newRow("a lone LF among lines that end in CR LF") << QByteArray("riga\r\n")
                                                             << QByteArray("a\nb\r\n");
}

// A file whose line ends change past the first 64 KB, where its format is
// decided, edited at its start: held in pieces or read whole into memory,
// the same text is saved.
void TestFileCommands::piecesSaveAsTheTextInMemory()
{
    QFETCH(QByteArray, line);
    QFETCH(QByteArray, odd);
    QByteArray file = line.repeated((100 << 10) / line.size()) + odd;
    file += line.repeated(3000);
    const QString name = path(QStringLiteral("righe.txt"));
    QByteArray saved[2];
    for (int pieces = 0; pieces < 2; ++pieces) {
        put(name, file);
        Editor editor;
        if (pieces) {
            editor.window->loadSettings().piecesFrom = 0;
            editor.window->loadSettings().reading.pieceSize = 4 << 10;
        }
        frmDocument *document = editor.open(name);
        QCOMPARE(document->text().storedLength() > 0, bool(pieces));
        document->ActiveControl().setSelText(QStringLiteral("x"));
        editor.window->mnuFileSave_Click();
        saved[pieces] = contents(name);
    }
    QCOMPARE(saved[1], saved[0]);
}

void TestFileCommands::documentInPiecesIsSavedAsAStream_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("Save, a new file in its place") << "replaced";
    QTest::newRow("Save of a file with two names, rewritten in place") << "in place";
    QTest::newRow("Save As") << "save as";
}

// A document held in pieces, edited at both ends and in the middle, a
// stretch of whole pieces deleted: each Save writes its text exactly, the
// text left as it was still in pieces, read from the file written; a file
// rewritten through itself is read from the copy of its bytes meanwhile,
// and the pieces that only the history holds still read the old bytes.
void TestFileCommands::documentInPiecesIsSavedAsAStream()
{
    QFETCH(QString, how);
    QByteArray original;
    for (int i = 0; original.size() < (300 << 10); ++i)
        original += "riga " + QByteArray::number(i) + (i % 3 ? " citt\xc3\xa0\r\n" : "\r\n");
    const QString name = path(QStringLiteral("grande.txt"));
    const QString other = path(QStringLiteral("altro nome.txt"));
    const QString target = how == u"save as" ? path(QStringLiteral("copia.txt")) : name;
    put(name, original);
    if (how == u"in place")
        QCOMPARE(::link(qPrintable(name), qPrintable(other)), 0);
    Editor editor;
    editor.window->loadSettings().piecesFrom = 0;
    editor.window->loadSettings().reading.pieceSize = 4 << 10;
    frmDocument *document = editor.open(name);
    TextBox &box = document->ActiveControl();
    const auto save = [&] {
        if (how == u"save as")
            editor.saveAs(target);
        else
            editor.window->mnuFileSave_Click();
    };
    QString expected = QString::fromUtf8(original);
    const auto edit = [&](qsizetype at, qsizetype removed, const QString &text) {
        box.setSelStart(at);
        box.setSelLength(removed);
        box.setSelText(text);
        expected.replace(at, removed, text);
    };
    edit(100'000, 60'000, QString());
    edit(0, 0, QStringLiteral("inizio\r\n"));
    edit(expected.size(), 0, QStringLiteral("fine"));
    save();
    QCOMPARE(contents(target), expected.toUtf8());
    QVERIFY(document->text().storedLength() > expected.size() / 2);
    if (how == u"in place")
        QCOMPARE(contents(other), expected.toUtf8());

    edit(expected.size() / 2, 0, QStringLiteral("met\u00e0"));
    save();
    QCOMPARE(contents(target), expected.toUtf8());
    // Undone, the deleted pieces come back from the file as it was.
    while (document->text().history().undo()) {
    }
    save();
    QCOMPARE(contents(target), original);
    QVERIFY(editor.messages->messages.isEmpty());
}

void TestFileCommands::documentInPiecesAfterAnotherProgram_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<bool>("lost");
    QTest::newRow("cut in half") << "cut" << true;
    // Same length, same line breaks: only the checksum tells.
    QTest::newRow("a word rewritten in place") << "rewrite" << true;
    QTest::newRow("rewritten, then saved before anything read it") << "rewrite, save" << true;
    QTest::newRow("appended") << "append" << false;
    QTest::newRow("a new file renamed over it") << "rename" << false;
}

// Another program changes the file of a document held in pieces, whose
// cache is too small to keep what was read. What it wrote is never read as
// the document's text: the pieces of the blocks it changed read as blank
// lines of their shape, the rest as it was; the typed text goes to a new
// document, and Save and Save As are refused naming the lines lost, the
// file left as the other program made it. A file that only grew, or was
// replaced by rename, loses nothing.
void TestFileCommands::documentInPiecesAfterAnotherProgram()
{
    QFETCH(QString, change);
    QFETCH(bool, lost);
    QByteArray original;
    for (int i = 0; original.size() < (3 << 20); ++i)
        original += "riga " + QByteArray::number(i) + "\r\n";
    const QString name = path(QStringLiteral("pezzi.txt"));
    const QString copy = path(QStringLiteral("copia.txt"));
    put(name, original);
    Editor editor;
    editor.window->loadSettings().piecesFrom = 0;
    editor.window->loadSettings().pieceBudget = 0;
    editor.window->loadSettings().reading.pieceSize = 64 << 10;
    frmDocument *document = editor.open(name);
    document->ActiveControl().setSelText(QStringLiteral("scritto qui\r\n"));
    const QString expected = QStringLiteral("scritto qui\r\n") + QString::fromLatin1(original);

    const qint64 middle = original.indexOf("riga 150000\r\n");
    const qint64 changedLine = 150000 + 2;
    QFile file(name);
    if (change == u"rename") {
        put(name + QStringLiteral(".tmp"), "nuovo\n");
        QCOMPARE(::rename(qPrintable(name + QStringLiteral(".tmp")), qPrintable(name)), 0);
    } else {
        QVERIFY(file.open(QIODevice::ReadWrite));
        if (change == u"cut")
            QVERIFY(file.resize(middle));
        else if (change == u"append")
            QVERIFY(file.seek(original.size()) && file.write("altro\r\n") == 7);
        else
            QVERIFY(file.seek(middle) && file.write("RIGA") == 4);
        file.close();
    }
    const QByteArray onDisk = contents(name);
    // Save finds the loss itself, and names it at once.
    if (change.endsWith(u"save")) {
        editor.window->mnuFileSave_Click();
        QCOMPARE(editor.messages->messages.size(), 1);
        QVERIFY(editor.messages->messages.first().contains(QStringLiteral("le righe da")));
        editor.messages->messages.clear();
    }

    const QString text = textOf(document);
    QCoreApplication::sendPostedEvents(); // what the reads found comes as events
    const QStringList lines = text.split(u'\n');
    QCOMPARE(document->text().lineCount(), expected.count(u'\n') + 1);
    if (!lost) {
        QCOMPARE(text, expected);
        editor.window->mnuFileSave_Click();
        QCOMPARE(contents(name), expected.toLatin1());
        QVERIFY(editor.messages->messages.isEmpty());
        return;
    }
    QTRY_COMPARE(editor.titles().size(), 3);
    QCOMPARE(textOf(editor.active()), QStringLiteral("[riga 1]\nscritto qui\r\n"));
    QVERIFY(editor.note().contains(QStringLiteral("copiato in %1").arg(editor.titles().last())));

    editor.activate(document);
    editor.window->mnuFileSave_Click();
    editor.saveAs(copy);
    QCOMPARE(editor.messages->messages.size(), 2);
    QCOMPARE(contents(name), onDisk);
    QVERIFY(!QFile::exists(copy));
    // The lines named hold the line changed, and are the only ones blank.
    const QRegularExpression named(QStringLiteral("le righe da ([\\d.,]+) a ([\\d.,]+) del"));
    const QRegularExpressionMatch match = named.match(editor.messages->messages.last());
    QVERIFY2(match.hasMatch(), qPrintable(editor.messages->messages.last()));
    const auto number = [&](int k) {
        return match.captured(k).remove(u'.').remove(u',').toLongLong();
    };
    QVERIFY(number(1) > 2 && number(1) <= changedLine && changedLine <= number(2));
    QCOMPARE(number(2) == lines.size() - 1, change == u"cut");
    const QStringList was = expected.split(u'\n');
    for (qsizetype k = 0; k < lines.size(); ++k) {
        const bool blank = k + 1 >= number(1) && k + 1 <= number(2);
        QVERIFY2(blank ? lines[k].trimmed().isEmpty() : lines[k] == was[k], qPrintable(lines[k]));
    }
}

// Separators and NUL typed through keys are characters like any other: none
// of them becomes a line end in the file.
void TestFileCommands::typedCharactersAreSavedAsTyped_data()
{
    QTest::addColumn<bool>("inputMethod");
    QTest::newRow("key events") << false;
    QTest::newRow("input method's commit") << true;
}

void TestFileCommands::typedCharactersAreSavedAsTyped()
{
    QFETCH(bool, inputMethod);
    Editor editor;
    QWidget *box = editor.active()->txtText;
    box->setFocus();
    const QString typed =
        QStringLiteral("a") + QChar(0x2029) + u'b' + QChar(0x2028) + u'c' + QChar(0) + u'd';
    for (const QChar c : typed) {
        if (inputMethod) {
            QInputMethodEvent commit;
            commit.setCommitString(QString(c));
            QApplication::sendEvent(box, &commit);
        } else {
            QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
            QApplication::sendEvent(box, &press);
        }
    }
    const QString name = path(QStringLiteral("typed.txt"));
    editor.saveAs(name);
    QCOMPARE(contents(name), QByteArray("a\xE2\x80\xA9"
                                        "b\xE2\x80\xA8"
                                        "c\0d",
                                        11));
    QVERIFY(editor.messages->messages.isEmpty());
}

void TestFileCommands::failedOpenClosesItsWindow_data()
{
    QTest::addColumn<QString>("file");
    QTest::newRow("missing file") << QStringLiteral("missing.txt");
    QTest::newRow("folder") << QStringLiteral("folder");
    QTest::newRow("read error after opening") << QStringLiteral("/proc/self/mem");
}

// The window of a file that cannot be read goes away again, so that no Save
// can write an empty text over the file; its number stays used.
void TestFileCommands::failedOpenClosesItsWindow()
{
    QFETCH(QString, file);
    QVERIFY(QDir(dir_->path()).mkdir(QStringLiteral("folder")));
    const QString name = file.startsWith(u'/') ? file : path(file);
    Editor editor;
    frmDocument *before = editor.active();
    editor.open(name);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCOMPARE(editor.titles(), QStringList({QStringLiteral("Documento1")}));
    QCOMPARE(editor.active(), before);
    QCOMPARE(editor.messages->messages.size(), 1);
    const QStringList lines = editor.messages->messages.first().split(u'\n');
    QCOMPARE(lines.size(), 2);
    QCOMPARE(lines[0], cannotOpen(name));
    QVERIFY(!lines[1].isEmpty() && lines[1] != u"Unknown error");
    editor.window->mnuFileNew_Click();
    QCOMPARE(editor.active()->Caption(), QStringLiteral("Documento3"));
}

void TestFileCommands::failedSaveKeepsTheOldFile_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<bool>("throughSave");

    QTest::newRow("missing folder") << QStringLiteral("missing/new.txt") << false;
    QTest::newRow("folder chosen as file") << QStringLiteral("folder") << false;
    QTest::newRow("folder in the title") << QStringLiteral("folder") << true;
    QTest::newRow("file where a folder should be") << QStringLiteral("plain.txt/new.txt") << false;
    QTest::newRow("non-empty folder in the title") << QStringLiteral("full") << true;
}

void TestFileCommands::failedSaveKeepsTheOldFile()
{
    QFETCH(QString, target);
    QFETCH(bool, throughSave);
    QDir folder(dir_->path());
    QVERIFY(folder.mkdir(QStringLiteral("folder")));
    QVERIFY(folder.mkdir(QStringLiteral("full")));
    put(path(QStringLiteral("full/inside.txt")), "inside");
    put(path(QStringLiteral("plain.txt")), "plain");
    const QString name = path(target);
    Editor editor;
    editor.active()->ActiveControl().setText(QStringLiteral("testo"));
    if (throughSave) {
        editor.active()->setCaption(name);
        editor.window->mnuFileSave_Click();
    } else {
        editor.saveAs(name);
    }
    QCOMPARE(editor.messages->messages.size(), 1);
    const QStringList lines = editor.messages->messages.first().split(u'\n');
    QCOMPARE(lines.size(), 2);
    QCOMPARE(lines[0], cannotSave(name));
    QVERIFY(!lines[1].isEmpty() && lines[1] != u"Unknown error");
    QCOMPARE(contents(path(QStringLiteral("plain.txt"))), QByteArray("plain"));
    QCOMPARE(contents(path(QStringLiteral("full/inside.txt"))), QByteArray("inside"));
    QCOMPARE(folder.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
             QStringList(
                 {QStringLiteral("folder"), QStringLiteral("full"), QStringLiteral("plain.txt")}));
    QVERIFY(QDir(path(QStringLiteral("folder"))).isEmpty());
}

void TestFileCommands::unrepresentableTextIsNotSaved_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("message");
    const QString refused = QStringLiteral(
        "Il documento contiene caratteri che non possono essere salvati nella codifica ");
    const QString wayOut = QStringLiteral("\nPer salvarli tutti, convertire il documento in UTF-8 "
                                          "con \"Codifica e fine riga\", nella barra di stato o "
                                          "nel menu del testo.");
    // Half a surrogate pair: no encoding writes it, and UTF-8 is no way out.
    QTest::newRow("lone surrogate, system encoding")
        << QByteArray("kept") << QStringLiteral("a\r\nb") + QChar(0xd800) + QStringLiteral("b")
        << refused + QStringLiteral("del sistema. Il primo è il carattere U+D800, alla riga 2.");
    QTest::newRow("euro sign is, Greek is not in Windows-1252")
        << QByteArray("citt\xe0 \x80\r\n") << QStringLiteral("città € ω\r\n")
        << refused + QStringLiteral("del file (Windows-1252). Il primo è \"ω\" (U+03C9), alla "
                                    "riga 1.") +
               wayOut;
    QTest::newRow("a control character, named by its code")
        << QByteArray("citt\xe0\r\n") << QStringLiteral("a\u0085b\r\n")
        << refused + QStringLiteral("del file (Windows-1252). Il primo è il carattere U+0085, "
                                    "alla riga 1.") +
               wayOut;
    // The first of several, after thousands of lines: a pair, named whole.
    QTest::newRow("an emoji, then an arrow, on later lines")
        << QByteArray("citt\xe0\r\n")
        << QStringLiteral("Perché è così\r\n").repeated(5000) + QStringLiteral("ok 😀\r\n→")
        << refused + QStringLiteral("del file (Windows-1252). Il primo è \"😀\" (U+1F600), "
                                    "alla riga 5001.") +
               wayOut;
}

void TestFileCommands::unrepresentableTextIsNotSaved()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, text);
    QFETCH(QString, message);
    const QString name = path(QStringLiteral("kept.txt"));
    put(name, file);
    Editor editor;
    frmDocument *document = editor.open(name);
    document->ActiveControl().setText(text);
    editor.window->mnuFileSave_Click();
    editor.saveAs(path(QStringLiteral("other.txt")));
    QCOMPARE(editor.messages->messages, QStringList({message, message}));
    QCOMPARE(contents(name), file);
    QVERIFY(!QFile::exists(path(QStringLiteral("other.txt"))));
}

void TestFileCommands::chosenFormatIsSaved_data()
{
    QTest::addColumn<QByteArray>("file");
    // Entries of the encoding menu ("Fine riga>LF (Unix)"), text typed at
    // the end ("type:..."), Ctrl+Z ("undo"), the file removed ("remove").
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QByteArray>("saved");
    QTest::addColumn<int>("windows");
    QTest::addColumn<int>("messages");

    const QByteArray cyrillic = "\xcf\xf0\xe8\xe2\xe5\xf2, \xec\xe8\xf0\n"; // Привет, мир
    const QString cyrillicPage = QStringLiteral("Riapri con codifica>Windows-1251 (cirillico)");
    const QByteArray italian = "Perch\xe9 la citt\xe0 \xe8 pi\xf9 bella\r\n";
    QTest::newRow("Cyrillic read again in Windows-1251, its LF kept")
        << cyrillic << QStringList{cyrillicPage, "type:\xd0\xb6\n\xd1\x8f"}
        << cyrillic + "\xe6\n\xff" << 2 << 0;
    QTest::newRow("Polish read again in Windows-1250")
        << QByteArray("Za\xbf\xf3\xb3\xe6 g\xea\x9cl\xb9 ja\x9f\xf1.\r\n")
        << QStringList{"Riapri con codifica>Windows-1250 (europeo centrale)", "type:\xc5\x82"}
        << QByteArray("Za\xbf\xf3\xb3\xe6 g\xea\x9cl\xb9 ja\x9f\xf1.\r\n\xb3") << 2 << 0;
    QTest::newRow("twelve Italian bytes read again in Windows-1252 take an e grave")
        << QByteArray("Costo: 5 \x80\r\n")
        << QStringList{"Riapri con codifica>Windows-1252 (europeo occidentale)", "type:\xc3\xa8"}
        << QByteArray("Costo: 5 \x80\r\n\xe8") << 2 << 0;
    QTest::newRow("with unsaved edits, read again in a new window")
        << cyrillic << QStringList{"type:!", cyrillicPage, "type:\xd0\xb6"} << cyrillic + "\xe6"
        << 3 << 0;
    QTest::newRow("a file removed since is not read again: the text stays")
        << cyrillic << QStringList{"remove", cyrillicPage, "type:x"} << cyrillic + "x" << 2 << 1;
    QTest::newRow("an emoji in Windows-1252 converted to UTF-8")
        << italian << QStringList{"type:\xf0\x9f\x98\x80", "Converti in>UTF-8"}
        << QByteArray("Perch\xc3\xa9 la citt\xc3\xa0 \xc3\xa8 pi\xc3\xb9 bella\r\n\xf0\x9f\x98\x80")
        << 2 << 0;
    QTest::newRow("UTF-8 given a mark")
        << QByteArray("pi\xc3\xb9\n") << QStringList{"Converti in>UTF-8 con BOM"}
        << QByteArray("\xef\xbb\xbfpi\xc3\xb9\n") << 2 << 0;
    QTest::newRow("UTF-8 without its mark")
        << QByteArray("\xef\xbb\xbfpi\xc3\xb9\n") << QStringList{"Converti in>UTF-8"}
        << QByteArray("pi\xc3\xb9\n") << 2 << 0;
    QTest::newRow("UTF-8 converted to UTF-16 LE, with its mark")
        << QByteArray("ab\r\n") << QStringList{"Converti in>UTF-16 LE"}
        << QByteArray("\xff\xfe"
                      "a\0b\0\r\0\n\0",
                      10)
        << 2 << 0;
    QTest::newRow("an arrow the code page lacks: refused, still UTF-8")
        << QByteArray("ok\r\n")
        << QStringList{"type:\xe2\x86\x92", "Converti in>Windows-1252 (europeo occidentale)"}
        << QByteArray("ok\r\n\xe2\x86\x92") << 2 << 1;
    QTest::newRow("bytes UTF-8 could not read: refused in UTF-16")
        << QByteArray("pi\xc3\xb9 citt\xc3\xa0 \xff\r\n") << QStringList{"Converti in>UTF-16 LE"}
        << QByteArray("pi\xc3\xb9 citt\xc3\xa0 \xff\r\n") << 2 << 1;
    QTest::newRow("Unix line ends made CR LF: Enter follows")
        << QByteArray("a\nb\n") << QStringList{"Fine riga>CR LF (Windows)", "type:c\nd"}
        << QByteArray("a\r\nb\r\nc\r\nd") << 2 << 0;
    QTest::newRow("CR LF and a lone CR made LF: Enter follows")
        << QByteArray("a\r\nb\rc\r\n") << QStringList{"Fine riga>LF (Unix)", "type:\nz"}
        << QByteArray("a\nb\nc\n\nz") << 2 << 0;
    QTest::newRow("a conversion undone: Enter makes CR LF again")
        << QByteArray("a\r\nb\r\n") << QStringList{"Fine riga>LF (Unix)", "undo", "type:c\nd"}
        << QByteArray("a\r\nb\r\nc\r\nd") << 2 << 0;
}

// What a person chooses in the encoding menu is what Save writes; typing
// after it is written in the new encoding and Enter makes the new line end.
void TestFileCommands::chosenFormatIsSaved()
{
    QFETCH(QByteArray, file);
    QFETCH(QStringList, steps);
    QFETCH(QByteArray, saved);
    QFETCH(int, windows);
    QFETCH(int, messages);
    const QString name = path(QStringLiteral("scelta.txt"));
    put(name, file);
    Editor editor;
    editor.open(name);
    for (const QString &step : steps) {
        auto *view = qobject_cast<TextView *>(editor.active()->txtText);
        if (step.startsWith(u"type:")) {
            view->moveCaret(view->textLength());
            typeKeys(*view, step.mid(5));
        } else if (step == u"undo") {
            QVERIFY(view->undo());
        } else if (step == u"remove") {
            QVERIFY(QFile::remove(name));
        } else {
            const qsizetype before = editor.messages->messages.size();
            QVERIFY2(editor.chooseFormat(step), qPrintable(step));
            QVERIFY(waitForLoad(*editor.active()));
            // The menu shows the choice as the document's own from then on.
            if (!step.startsWith(u"Fine") && editor.messages->messages.size() == before)
                QVERIFY2(editor.formatEntry(step)->isChecked(), qPrintable(step));
        }
    }
    editor.window->mnuFileSave_Click();
    QCOMPARE(contents(name), saved);
    QCOMPARE(editor.titles().size(), windows);
    QCOMPARE(editor.messages->messages.size(), messages);
}

void TestFileCommands::textsAreHeldAgainstTheMemoryLeft_data()
{
    QTest::addColumn<QString>("command");
    QTest::newRow("Open") << "Open";
    QTest::newRow("Incolla") << "Incolla";
    QTest::newRow("Sostituisci tutto") << "Sostituisci tutto";
    QTest::newRow("Fine riga") << "Fine riga";
}

// With little memory left, a file, a paste or a replacement whose text will
// not fit is refused with a message saying so, before anything is taken;
// the documents stay as they were. With enough, the same command works.
void TestFileCommands::textsAreHeldAgainstTheMemoryLeft()
{
    QFETCH(QString, command);
    const QString name = path(QStringLiteral("grande.txt"));
    const QString large(3 << 20, u'a');
    put(name, large.toLatin1());
    Editor editor;
    frmDocument *typed = editor.active();
    typed->ActiveControl().setText(QStringLiteral("testo scritto"));
    const bool onTheFile = command == u"Sostituisci tutto" || command == u"Fine riga";
    frmDocument *target = onTheFile ? editor.open(name) : typed;
    QGuiApplication::clipboard()->setText(large);
    FindDialog &find = editor.window->findDialog();
    find.present(QStringLiteral("a"), true);
    find.replaceField->setText(QStringLiteral("b"));
    const QString before = textOf(target);
    const int windows = editor.titles().size();
    const auto run = [&] {
        if (command == u"Open")
            editor.open(name);
        else if (command == u"Incolla")
            editor.window->mnuEditPaste_Click();
        else if (command == u"Fine riga")
            editor.chooseFormat(QStringLiteral("Fine riga>LF (Unix)"));
        else
            emit find.replaceAll();
    };

    // What the program keeps free for itself, and a little more.
    editor.memory->bytes = qint64(65) << 20;
    run();
    QCOMPARE(editor.messages->messages.size(), 1);
    QVERIFY2(editor.messages->messages.front().contains(u"memoria", Qt::CaseInsensitive),
             qPrintable(editor.messages->messages.front()));
    QCOMPARE(editor.titles().size(), windows);
    QCOMPARE(textOf(target), before);
    QCOMPARE(textOf(typed), onTheFile ? QStringLiteral("testo scritto") : before);

    // A file whose text will not fit, but whose pieces do, is left in the
    // file and read from there.
    if (command == u"Open") {
        editor.window->loadSettings().pieceBudget = 1 << 20;
        editor.window->loadSettings().reading.pieceSize = 64 << 10;
        editor.memory->bytes = qint64(67) << 20;
        run();
        QCOMPARE(editor.messages->messages.size(), 1);
        QCOMPARE(editor.titles().size(), windows + 1);
        QCOMPARE(editor.active()->text().storedLength(), large.size() + 2);
        QVERIFY(textOf(editor.active()) == large + QStringLiteral("\r\n"));
        editor.active()->Unload();
    }

    editor.memory->bytes = qint64(1) << 30;
    run();
    QCOMPARE(editor.messages->messages.size(), 1);
    QVERIFY(textOf(editor.active()) != before);
    QCOMPARE(editor.active()->text().storedLength(), 0);
}

void TestFileCommands::failuresAreReportedAsWarnings_data()
{
    QTest::addColumn<QString>("failure");
    QTest::newRow("Open of a missing file") << QStringLiteral("open");
    QTest::newRow("Save into a missing folder") << QStringLiteral("save");
    QTest::newRow("text the encoding cannot hold") << QStringLiteral("encoding");
    QTest::newRow("no printer") << QStringLiteral("print");
    QTest::newRow("no number left for a document") << QStringLiteral("counter");
}

// Every failure the program reports carries the warning picture, and each
// of its sentences, the system's reason included, ends with a full stop.
void TestFileCommands::failuresAreReportedAsWarnings()
{
    QFETCH(QString, failure);
    Editor editor;
    if (failure == u"open") {
        editor.open(path(QStringLiteral("missing.txt")));
    } else if (failure == u"save") {
        editor.saveAs(path(QStringLiteral("missing/new.txt")));
    } else if (failure == u"encoding") {
        editor.active()->ActiveControl().setText(QString(QChar(0xdc00)));
        editor.window->mnuFileSave_Click();
    } else if (failure == u"print") {
        editor.window->mnuFilePrint_Click();
    } else {
        editor.window->documentCounter() = DocumentCounter(DocumentCounter::Maximum);
        editor.window->mnuFileNew_Click();
    }
    QCOMPARE(editor.messages->messages.size(), 1);
    QCOMPARE(editor.messages->icons, QList<MessageBox::Icon>{MessageBox::Icon::Warning});
    for (const QString &line : editor.messages->messages.first().split(u'\n'))
        QVERIFY2(line.endsWith(u'.'), qPrintable(line));
}

void TestFileCommands::failedSaveInChildKeepsTheOldFile_data()
{
    QTest::addColumn<QString>("mode");
    QTest::addColumn<QString>("reason");
    QTest::newRow("disk full") << QStringLiteral("size-limit") << QStringLiteral("too large");
    QTest::newRow("disk full on flushing")
        << QStringLiteral("size-limit-short") << QStringLiteral("too large");
    QTest::newRow("read-only folder")
        << QStringLiteral("read-only-folder") << QStringLiteral("not writable|read-only");
    QTest::newRow("target that cannot be replaced")
        << QStringLiteral("mounted-file") << QStringLiteral("busy");
}

// Failures that root cannot get around, made in a child process so that
// the limits and mounts stay there.
void TestFileCommands::failedSaveInChildKeepsTheOldFile()
{
    QFETCH(QString, mode);
    QFETCH(QString, reason);
    QVERIFY(QDir(dir_->path()).mkdir(QStringLiteral("sub")));
    const QString target = path(QStringLiteral("sub/target.txt"));
    put(target, "old contents\r\n");

    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    child.setProcessEnvironment(environment);
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--save-child"), mode, target});
    QVERIFY(child.waitForFinished(120000));
    if (child.exitStatus() == QProcess::NormalExit && child.exitCode() == 77)
        QSKIP("This machine does not allow the set-up for this failure.");
    QCOMPARE(child.exitStatus(), QProcess::NormalExit);
    QCOMPARE(child.exitCode(), 0);
    const QString output = QString::fromUtf8(child.readAllStandardOutput());
    const QStringList messages = output.split(QStringLiteral("\n---\n"), Qt::SkipEmptyParts);
    QCOMPARE(messages.size(), 1);
    const QStringList lines = messages.first().split(u'\n');
    QCOMPARE(lines.size(), 2);
    QCOMPARE(lines[0], cannotSave(target));
    QVERIFY2(
        lines[1].contains(QRegularExpression(reason, QRegularExpression::CaseInsensitiveOption)),
        qPrintable(lines[1]));
    QCOMPARE(contents(target), QByteArray("old contents\r\n"));
    QCOMPARE(QDir(path(QStringLiteral("sub"))).entryList(QDir::Files | QDir::Hidden),
             QStringList({QStringLiteral("target.txt")}));
}

// A file of many pieces, read in small ones: still loading for a while
// after the test starts it.
static QByteArray slowFile()
{
    QByteArray file;
    for (int i = 0; i < 400000; ++i)
        file += "riga " + QByteArray::number(i) + "\r\n";
    return file;
}

// Starts loading a file the way a person does: through Open, the command
// line or a drop on the toolbar. The document loading, once it has shown
// some progress and some text (a FIFO shows neither). The file is read in many parts, kept
// in place where it was read: the window takes one part a turn, so the load
// is still going when the first part shows.
static frmDocument *startLoad(Editor &editor, const QString &how, const QString &path)
{
    if (how == u"FIFO") {
        editor.dialog->answer(path);
        editor.window->mnuFileOpen_Click();
        return editor.active() && editor.active()->Caption() == path ? editor.active() : nullptr;
    }
    FileLoad::Options &reading = editor.window->loadSettings().reading;
    reading.blockSize = 256;
    reading.partSize = 64 << 10;
    if (how == u"Open") {
        editor.dialog->answer(path);
        editor.window->mnuFileOpen_Click();
    } else if (how == u"command line") {
        editor.window->OpenFiles({path});
    } else {
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(path)});
        QWidget *toolbar = editor.find<QToolBar>("tbToolBar");
        const QPoint point = toolbar->rect().center();
        QDragEnterEvent enter(point, Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(toolbar, &enter);
        QDropEvent drop(point, Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(toolbar, &drop);
    }
    // Dropped files open once the drop is over.
    QTest::qWaitFor([&] { return editor.active() && editor.active()->Caption() == path; });
    frmDocument *loading = editor.active();
    if (!loading || loading->Caption() != path)
        return nullptr;
    // The first progress may come before the first chunk of text does.
    QSignalSpy progress(loading, &frmDocument::loadProgressChanged);
    if (!progress.wait() || !QTest::qWaitFor([loading] { return loading->text().length() > 0; }))
        return nullptr;
    return loading;
}

// The document window's own Ctrl+F4 entry.
static QAction *closeKey(frmDocument &document)
{
    auto *window = qobject_cast<QMdiSubWindow *>(document.parentWidget());
    for (QAction *action : window->systemMenu()->actions())
        if (action->shortcut() == QKeySequence(Qt::CTRL | Qt::Key_F4))
            return action;
    qFatal("the document window has no Ctrl+F4");
}

void TestFileCommands::otherProgramChangesTheFile_data()
{
    QTest::addColumn<bool>("told");         // the file system tells of changes
    QTest::addColumn<QStringList>("steps"); // each followed by "=" and the note it brings
    QTest::addColumn<QByteArray>("kept");   // what Save keeps beside the file
    QTest::addColumn<QString>("saveNote");  // what Save says the file went through

    const QByteArray none = "<missing>";
    QTest::newRow("appended") << true << QStringList{"append=modificato"}
                              << QByteArray("uno\naltro\n") << "modificato";
    QTest::newRow("cut") << true << QStringList{"truncate=modificato"} << QByteArray()
                         << "modificato";
    QTest::newRow("rewritten in place")
        << true << QStringList{"rewrite=modificato"} << QByteArray("riscritto\n") << "modificato";
    QTest::newRow("a new file renamed over it")
        << true << QStringList{"rename over=sostituito"} << QByteArray("nuovo\n") << "sostituito";
    QTest::newRow("removed") << true << QStringList{"remove=eliminato"} << none << "";
    QTest::newRow("removed, then made anew")
        << true << QStringList{"remove=eliminato", "create=sostituito"} << QByteArray("nuovo\n")
        << "sostituito";
    // A change of the same kind is told once, whoever looks.
    QTest::newRow("told once until a save")
        << true << QStringList{"append=modificato", "append", "look", "remove=eliminato"} << none
        << "";
    // The program's own Save is not another program's, and the watch
    // follows the file it wrote.
    QTest::newRow("own save, then appended") << true << QStringList{"save", "append=modificato"}
                                             << QByteArray("miauno\naltro\n") << "modificato";
    QTest::newRow("told again after a save")
        << true << QStringList{"append=modificato", "save", "append=modificato"}
        << QByteArray("miauno\naltro\n") << "modificato";
    // A file of two names is rewritten in place: what is kept is a copy.
    // Another name given to the file is a change of its own.
    QTest::newRow("a second name, then saved in place")
        << true << QStringList{"link=modificato"} << QByteArray("uno\n") << "modificato";
    QTest::newRow("nothing told, seen on coming to the front")
        << false << QStringList{"append", "look=modificato"} << QByteArray("uno\naltro\n")
        << "modificato";
    QTest::newRow("nothing told, seen by Save")
        << false << QStringList{"append"} << QByteArray("uno\naltro\n") << "modificato";
}

// Another program changes the file of an open document: the change is told
// in a note naming the file, once, and the document's text stays. Save then
// writes the document, and keeps the other program's version beside the
// file, as a second name of it where the file is replaced.
void TestFileCommands::otherProgramChangesTheFile()
{
    QFETCH(bool, told);
    QFETCH(QStringList, steps);
    QFETCH(QByteArray, kept);
    QFETCH(QString, saveNote);
    const QString name = path(QStringLiteral("nota.txt"));
    const QString keptName = name + QStringLiteral(".esterno");
    put(name, "uno\n");
    Editor editor(told ? std::make_unique<InotifyWatcher>() : std::unique_ptr<InotifyWatcher>());
    // Each note comes from its own step: none from the window's activation.
    QVERIFY(QTest::qWaitForWindowActive(editor.window.get()));
    frmDocument *document = editor.open(name);
    document->ActiveControl().setSelText(QStringLiteral("mia"));
    QSignalSpy notes(&document->diskFile(), &DiskFile::changed);
    // Another program reading the file keeps its number from going to a new
    // file made once it is removed, which would then pass for it.
    QFile reader(name);
    QVERIFY(reader.open(QIODevice::ReadOnly));
    // A program that appends, as a log's, keeps the file open.
    std::vector<std::unique_ptr<QFile>> writers;

    for (const QString &step : steps) {
        const QString action = step.section(u'=', 0, 0);
        const QString note = step.section(u'=', 1);
        const qsizetype before = notes.size();
        if (action == u"append") {
            writers.push_back(std::make_unique<QFile>(name));
            QFile &file = *writers.back();
            QVERIFY(file.open(QIODevice::Append) && file.write("altro\n") == 6 && file.flush());
        } else if (action == u"truncate" || action == u"rewrite") { // the same file
            QFile file(name);
            QVERIFY(file.open(QIODevice::ReadWrite) && file.resize(0));
            if (action == u"rewrite")
                QVERIFY(file.write("riscritto\n") == 10);
        } else if (action == u"rename over") {
            put(name + QStringLiteral(".tmp"), "nuovo\n");
            QVERIFY(::rename(qPrintable(name + QStringLiteral(".tmp")), qPrintable(name)) == 0);
        } else if (action == u"remove") {
            QVERIFY(QFile::remove(name));
        } else if (action == u"create") {
            put(name, "nuovo\n");
        } else if (action == u"link") {
            QVERIFY(::link(qPrintable(name), qPrintable(path(QStringLiteral("altro nome")))) == 0);
        } else if (action == u"save") {
            editor.window->mnuFileSave_Click();
        } else { // the document comes to the front again
            editor.window->mnuFileNew_Click();
            editor.activate(document);
        }
        if (note.isEmpty()) {
            QCOMPARE(notes.size(), before);
            continue;
        }
        QTRY_COMPARE(notes.size(), before + 1);
        QCOMPARE(notes.last().first().toString(),
                 QStringLiteral("Il file \"nota.txt\" è stato %1 da un altro programma.")
                     .arg(note == u"eliminato" ? QStringLiteral("eliminato o spostato") : note));
        QCOMPARE(editor.note(), notes.last().first().toString());
    }
    QCOMPARE(textOf(document), QStringLiteral("miauno\n"));

    struct stat other = {};
    const bool existed = ::stat(qPrintable(name), &other) == 0;
    editor.activate(document);
    editor.window->mnuFileSave_Click();
    QCOMPARE(contents(name), QByteArray("miauno\n"));
    QCOMPARE(contents(keptName), kept);
    if (steps.contains(QStringLiteral("link=modificato")))
        QCOMPARE(contents(path(QStringLiteral("altro nome"))), QByteArray("miauno\n"));
    struct stat keptFile = {};
    if (existed && ::stat(qPrintable(keptName), &keptFile) == 0) // a second name costs nothing
        QCOMPARE(keptFile.st_ino == other.st_ino,
                 !steps.contains(QStringLiteral("link=modificato")));
    // With nothing kept, the note about the file goes: it is out of date.
    const QString keptNote =
        QStringLiteral("Il file \"%1\" era stato %2 da un altro programma: quella versione è "
                       "conservata in \"%3\".");
    QCOMPARE(editor.note(),
             saveNote.isEmpty() ? QString() : keptNote.arg(name, saveNote, keptName));
    QCOMPARE(editor.messages->messages, QStringList());
}

// Once a new file has taken the name, the watch is on that file: a write
// to it is told, which its folder says nothing of.
void TestFileCommands::fileWatchFollowsTheName()
{
    const QString name = path(QStringLiteral("nota.txt"));
    put(name, "uno\n");
    InotifyWatcher watcher;
    const std::unique_ptr<FileWatch> watch = watcher.watch(name);
    QSignalSpy touched(watch.get(), &FileWatch::touched);
    put(name + QStringLiteral(".tmp"), "nuovo\n");
    QVERIFY(::rename(qPrintable(name + QStringLiteral(".tmp")), qPrintable(name)) == 0);
    QVERIFY(touched.wait());
    touched.clear();
    QFile file(name);
    QVERIFY(file.open(QIODevice::Append) && file.write("altro\n") == 6 && file.flush());
    QVERIFY(touched.wait());
}

void TestFileCommands::closeDuringALoad_data()
{
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("close");
    QTest::addColumn<bool>("typedDocument"); // Documento1 stays open with typed text
    for (const char *start : {"Open", "command line", "drop"}) {
        for (const char *close : {"close box", "Ctrl+F4", "Chiudi", "Esci", "main window"}) {
            for (const bool typed : {true, false})
                QTest::addRow("%s, %s, %s", start, close, typed ? "beside a typed one" : "alone")
                    << start << close << typed;
        }
    }
    // Its read waits for ever: nothing of the window waits with it.
    QTest::newRow("FIFO nobody writes to, Chiudi") << "FIFO"
                                                   << "Chiudi" << true;
    QTest::newRow("FIFO nobody writes to, Esci") << "FIFO"
                                                 << "Esci" << false;
}

// However a load starts and whatever closes during it, what the person did
// not close keeps its text, the program ends only when its window is
// closed, and after closing a document the next Open works as ever.
void TestFileCommands::closeDuringALoad()
{
    QFETCH(QString, start);
    QFETCH(QString, close);
    QFETCH(bool, typedDocument);
    const QString name = path(QStringLiteral("slow.txt"));
#ifdef Q_OS_UNIX
    std::optional<StuckFifo> fifo;
    if (start == u"FIFO")
        fifo.emplace(name);
    else
#else
    if (start == u"FIFO")
        QSKIP("FIFOs are a Unix thing");
#endif
        put(name, slowFile());
    put(path(QStringLiteral("dopo.txt")), "dopo\r\n");
    Editor editor;
    QPointer<frmDocument> typed = editor.active();
    if (typedDocument)
        typed->ActiveControl().setText(QStringLiteral("testo scritto"));
    else
        editor.closeAll();

    const ReadingMark reading;
    reading.putIn(editor.window->loadSettings().reading);
    QPointer<frmDocument> loading = startLoad(editor, start, name);
    editor.window->loadSettings().reading.afterPart = nullptr; // only the load's copies hold it
    QVERIFY(loading);
    QVERIFY(loading->isLoading());
    if (close == u"close box")
        qobject_cast<QMdiSubWindow *>(loading->parentWidget())->close();
    else if (close == u"Ctrl+F4")
        closeKey(*loading)->trigger();
    else if (close == u"Chiudi")
        editor.window->mnuFileClose_Click();
    else if (close == u"Esci")
        editor.window->mnuFileExit_Click();
    else
        QVERIFY(editor.window->close());
    QVERIFY(editor.messages->messages.isEmpty());
    const bool programEnds = close == u"Esci" || close == u"main window";
    QCOMPARE(editor.window->isVisible(), !programEnds);
    if (programEnds)
        editor.window.reset(); // as the program's main window deletes itself on closing
    QTRY_VERIFY(loading.isNull());
#ifdef Q_OS_UNIX
    QVERIFY(!fifo || !fifo->waitedOn());
    fifo.reset(); // its writer goes, and the read the load left waiting returns
#endif
    QTRY_VERIFY(reading.isLastHeld());
    QCoreApplication::sendPostedEvents(); // what the load posted before its threads ended
    if (programEnds)
        return;
    if (typedDocument)
        QCOMPARE(textOf(typed), QStringLiteral("testo scritto"));
    QCOMPARE(textOf(editor.open(path(QStringLiteral("dopo.txt")))), QStringLiteral("dopo\r\n"));
    QVERIFY(editor.window->isVisible());
}

void TestFileCommands::commandsDuringALoad_data()
{
    QTest::addColumn<QString>("command");
    QTest::newRow("Salva") << "Salva";
    QTest::newRow("Salva con nome") << "Salva con nome";
    QTest::newRow("Stampa") << "Stampa";
    QTest::newRow("Trova successivo") << "Trova successivo";
    QTest::newRow("Trova precedente") << "Trova precedente";
    QTest::newRow("Sostituisci") << "Sostituisci";
    QTest::newRow("Sostituisci tutto") << "Sostituisci tutto";
    QTest::newRow("Converti in") << "Converti in";
    QTest::newRow("Fine riga") << "Fine riga";
}

// A command that needs the whole text (save, print, find) never acts on
// half a document: during a load it is refused with a note, and it works
// once the file is in.
void TestFileCommands::commandsDuringALoad()
{
    QFETCH(QString, command);
    const QString name = path(QStringLiteral("slow.txt"));
    const QString other = path(QStringLiteral("altro.txt"));
    const QByteArray file = slowFile();
    put(name, file);
    Editor editor;
    FindDialog &find = editor.window->findDialog();
    find.present(QStringLiteral("riga"), true);
    find.replaceField->setText(QStringLiteral("RIGA"));
    const auto run = [&] {
        if (command == u"Salva")
            editor.window->mnuFileSave_Click();
        else if (command == u"Salva con nome")
            editor.saveAs(other);
        else if (command == u"Stampa")
            editor.window->mnuFilePrint_Click();
        else if (command == u"Trova successivo")
            emit find.findNext();
        else if (command == u"Trova precedente")
            emit find.findPrevious();
        else if (command == u"Sostituisci")
            emit find.replace();
        else if (command == u"Converti in")
            QVERIFY(editor.chooseFormat(QStringLiteral("Converti in>UTF-16 LE")));
        else if (command == u"Fine riga")
            QVERIFY(editor.chooseFormat(QStringLiteral("Fine riga>LF (Unix)")));
        else
            emit find.replaceAll();
    };

    frmDocument *loading = startLoad(editor, QStringLiteral("Open"), name);
    QVERIFY(loading->isLoading());
    run();
    QCOMPARE(editor.note(), DocumentLoad::stillLoadingNote());
    QVERIFY(loading->isLoading());
    QVERIFY(waitForLoad(*loading));
    QCOMPARE(textOf(loading), QString::fromLatin1(file));
    QCOMPARE(contents(name), file);
    QVERIFY(!QFile::exists(other));
    QCOMPARE(editor.printer->requests, 0);

    editor.window->withdrawNote(editor.note());
    run();
    QVERIFY(editor.note() != DocumentLoad::stillLoadingNote());
    if (command == u"Salva")
        QCOMPARE(contents(name), file);
    else if (command == u"Salva con nome")
        QCOMPARE(contents(other), file);
    else if (command == u"Stampa")
        QCOMPARE(editor.printer->requests, 1); // the fixture has no printer
    else if (command == u"Sostituisci tutto")
        QVERIFY(!textOf(loading).contains(QStringLiteral("riga")));
    else if (command == u"Converti in")
        QCOMPARE(loading->formatName(), QStringLiteral("UTF-16 LE \u00B7 CR LF"));
    else if (command == u"Fine riga")
        QCOMPARE(textOf(loading), QString::fromLatin1(file).remove(u'\r'));
    else
        QCOMPARE(loading->ActiveControl().SelText().toLower(), QStringLiteral("riga"));
    QCOMPARE(editor.messages->messages.size(), command == u"Stampa" ? 1 : 0);
}

void TestFileCommands::otherCommandsRunDuringALoad_data()
{
    QTest::addColumn<QString>("command");
    for (const char *command : {"Taglia", "Copia", "Incolla", "Seleziona tutto", "Ora/Data",
                                "Ctrl+F", "F3 before any search", "Nuovo", "Riapri con codifica",
                                "Riapri con codifica after typing"})
        QTest::newRow(command) << command;
}

// Every other command acts at once on the text loaded so far, here on the
// "riga" selected at its start, with no note.
void TestFileCommands::otherCommandsRunDuringALoad()
{
    QFETCH(QString, command);
    const QString name = path(QStringLiteral("slow.txt"));
    put(name, slowFile());
    Editor editor;
    QApplication::clipboard()->setText(QStringLiteral("appunti"));
    frmDocument *loading = startLoad(editor, QStringLiteral("Open"), name);
    loading->ActiveControl().setSelLength(4);
    frmMain &window = *editor.window;
    if (command == u"Taglia")
        window.mnuEditCut_Click();
    else if (command == u"Copia")
        window.mnuEditCopy_Click();
    else if (command == u"Incolla")
        window.mnuEditPaste_Click();
    else if (command == u"Seleziona tutto")
        window.mnuSelTutto_Click();
    else if (command == u"Ora/Data")
        window.mnuDate_Click();
    else if (command == u"Ctrl+F")
        QTest::keyClick(loading->txtText, Qt::Key_F, Qt::ControlModifier);
    else if (command == u"F3 before any search")
        QTest::keyClick(loading->txtText, Qt::Key_F3);
    else if (command.startsWith(u"Riapri")) {
        // Typed at the end, the letters wait for the rest of the file.
        if (command.endsWith(u"typing")) {
            QTest::keyClick(loading->txtText, Qt::Key_End, Qt::ControlModifier);
            QTest::keyClicks(loading->txtText, QStringLiteral("FINE"));
        }
        QVERIFY(editor.chooseFormat(QStringLiteral("Riapri con codifica>UTF-16 BE")));
    } else
        window.mnuFileNew_Click();
    QVERIFY(loading->isLoading());
    QVERIFY(editor.note() != DocumentLoad::stillLoadingNote());
    const QString text = textOf(loading);
    const QString clipboard = QApplication::clipboard()->text();
    if (command == u"Taglia" || command == u"Copia")
        QCOMPARE(clipboard, QStringLiteral("riga"));
    if (command == u"Taglia")
        QVERIFY(text.startsWith(QStringLiteral(" 0\r\n")));
    else if (command == u"Incolla")
        QVERIFY(text.startsWith(QStringLiteral("appunti 0\r\n")));
    else if (command == u"Ora/Data")
        QVERIFY(!text.startsWith(QStringLiteral("riga")));
    else if (command == u"Seleziona tutto")
        QCOMPARE(loading->ActiveControl().SelLength(), text.size());
    else if (command == u"Ctrl+F" || command.startsWith(u"F3"))
        QVERIFY(window.findDialog().isVisible());
    else if (command == u"Nuovo")
        QCOMPARE(window.documents().size(), 3);
    // What was typed keeps its window, where the load goes on; the file is
    // read again in a new one.
    if (command.endsWith(u"typing")) {
        QCOMPARE(window.documents().size(), 3);
        QVERIFY(waitForLoad(*loading));
        QVERIFY(textOf(loading).endsWith(QStringLiteral("\r\nFINE")));
    }
    // The load under way stops, and the file is read again from its start.
    if (command == u"Riapri con codifica") {
        QCOMPARE(window.documents().size(), 2);
        QVERIFY(waitForLoad(*loading));
        QCOMPARE(loading->formatName(), QStringLiteral("UTF-16 BE senza BOM \u00B7 CR LF"));
        // Two bytes a character, and the line end added after the last line.
        QCOMPARE(loading->text().length(), contents(name).size() / 2 + 2);
    }
}

// Typing during a load goes where the caret is among the text loaded so
// far; after Ctrl+End the caret stands for the file's real end, so what is
// typed there lands after the file's last byte, not inside a line that was
// still loading.
void TestFileCommands::typingAtTheEndDuringALoad()
{
    const QString name = path(QStringLiteral("slow.txt"));
    const QByteArray file = slowFile();
    put(name, file);
    Editor editor;
    frmDocument *loading = startLoad(editor, QStringLiteral("Open"), name);
    QWidget *box = loading->txtText;
    QTest::keyClicks(box, QStringLiteral("INIZIO "));
    QTest::keyClick(box, Qt::Key_End, Qt::ControlModifier);
    QTest::keyClicks(box, QStringLiteral("FINE"));
    QTest::keyClick(box, Qt::Key_Backspace);
    QVERIFY(loading->isLoading());
    QVERIFY(waitForLoad(*loading));
    QCOMPARE(textOf(loading),
             QStringLiteral("INIZIO ") + QString::fromLatin1(file) + QStringLiteral("FIN"));
    QCOMPARE(loading->ActiveControl().SelStart(), textOf(loading).size());
    editor.window->mnuFileSave_Click();
    QCOMPARE(contents(name), "INIZIO " + file + "FIN");
}

// A file of a few parts of 64 KB each, read by one thread, part after
// part, with act called on the reading thread after each part.
static void readInParts(Editor &editor, std::function<void(qsizetype)> act)
{
    FileLoad::Options &reading = editor.window->loadSettings().reading;
    reading.threads = 1;
    reading.blockSize = 4096;
    reading.partSize = 64 << 10;
    reading.afterPart = std::move(act);
}

void TestFileCommands::fileChangedWhileLoading_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<bool>("kept");    // the document holds the file as it was opened
    QTest::addColumn<bool>("atPath");  // the path still names the file read
    QTest::addColumn<QString>("said"); // the message's reason, or the note, or nothing
    const QString grew = QStringLiteral("è cresciuto durante il caricamento: la parte aggiunta "
                                        "non è stata letta.");
    QTest::newRow("renamed over") << "renamed over" << true << false << QString();
    QTest::newRow("removed") << "removed" << true << false << QString();
    QTest::newRow("appended to") << "appended to" << true << true << grew;
    QTest::newRow("truncated") << "truncated" << false << false << SnapshotCheck::cutReason();
    QTest::newRow("cut in half") << "cut in half" << false << false << SnapshotCheck::cutReason();
    QTest::newRow("rewritten in place")
        << "rewritten in place" << false << false << SnapshotCheck::rewrittenReason();
}

// Another program acts on the file after the first part has been read. The
// document is the file as it was opened, whole, or there is none and the
// message says what happened: never a mix of two versions that looks whole,
// which Save would write over the file.
void TestFileCommands::fileChangedWhileLoading()
{
    QFETCH(QString, change);
    QFETCH(bool, kept);
    QFETCH(bool, atPath);
    QFETCH(QString, said);
    const QString name = path(QStringLiteral("cambia.txt"));
    QByteArray file;
    for (int i = 0; file.size() < (300 << 10); ++i)
        file += "riga " + QByteArray::number(i) + "\r\n";
    put(name, file);
    Editor editor;
    readInParts(editor, [change, name, file](qsizetype part) {
        if (part != 0)
            return;
        if (change == u"renamed over") {
            put(name + QStringLiteral(".nuovo"), "nuovo\r\n");
            ::rename(QFile::encodeName(name + QStringLiteral(".nuovo")).constData(),
                     QFile::encodeName(name).constData());
        } else if (change == u"removed") {
            QFile::remove(name);
        } else if (change == u"truncated" || change == u"cut in half") {
            QFile::resize(name, change == u"truncated" ? 0 : file.size() / 2);
        } else {
            QFile other(name);
            const bool append = change == u"appended to";
            if (!other.open(append ? QIODevice::Append : QIODevice::ReadWrite) ||
                other.write(append ? "aggiunta\r\n" : "RIGA") < 0)
                qFatal("cannot change %s", qPrintable(name));
        }
    });
    frmDocument *document = editor.open(name);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    if (kept) {
        QCOMPARE(document->Caption(), name);
        QCOMPARE(textOf(document), QString::fromLatin1(file));
        QVERIFY(editor.messages->messages.isEmpty());
        QVERIFY(editor.note().endsWith(said));
        QCOMPARE(document->fileIsAtItsPath(), atPath);
        QVERIFY(document->loadedFile());
        QCOMPARE(document->loadedFile()->grew, !said.isEmpty());
        // What grew is another program's: Save keeps it aside first.
        if (!said.isEmpty())
            QCOMPARE(document->diskFile().change(), DiskFile::Change::Written);
        return;
    }
    QCOMPARE(editor.titles(), QStringList({QStringLiteral("Documento1")}));
    QCOMPARE(editor.messages->messages, QStringList({cannotOpen(name) + u'\n' + said}));
}

void TestFileCommands::failedLoadKeepsWhatWasTyped_data()
{
    QTest::addColumn<bool>("undone");
    QTest::newRow("typed") << false;
    QTest::newRow("typed, then undone") << true;
}

// A word typed while a file loads, then the file cut by another program:
// the window stays with the text under a new document's name, which the
// message gives, and Save writes there, never over the file.
void TestFileCommands::failedLoadKeepsWhatWasTyped()
{
    QFETCH(bool, undone);
    const QString name = path(QStringLiteral("grande.txt"));
    const QByteArray file = slowFile();
    put(name, file);
    Editor editor;
    auto typed = std::make_shared<std::promise<void>>();
    readInParts(editor, [name, done = typed->get_future().share()](qsizetype part) {
        if (part == 0 && done.wait_for(std::chrono::seconds(20)) == std::future_status::ready)
            QFile::resize(name, 0);
    });
    editor.dialog->answer(name);
    editor.window->mnuFileOpen_Click();
    QPointer<frmDocument> loading = editor.active();
    QTRY_VERIFY(loading && loading->text().length() > 0);
    QTest::keyClicks(loading->txtText, QStringLiteral("PREZIOSO "));
    if (undone)
        QTest::keyClick(loading->txtText, Qt::Key_Z, Qt::ControlModifier);
    typed->set_value();
    QVERIFY(waitForLoad(*loading));
    QVERIFY(loading);
    QCOMPARE(editor.titles(),
             QStringList({QStringLiteral("Documento1"), QStringLiteral("Documento3")}));
    QCOMPARE(editor.messages->messages,
             QStringList({cannotOpen(name) + u'\n' + SnapshotCheck::cutReason() +
                          QStringLiteral("\nIl testo digitato è stato conservato in "
                                         "Documento3.")}));
    const QString start = undone ? QStringLiteral("riga 0\r\n") : QStringLiteral("PREZIOSO riga 0");
    QVERIFY(textOf(loading).startsWith(start));
    const QString previous = QDir::currentPath();
    QVERIFY(QDir::setCurrent(dir_->path()));
    editor.window->mnuFileSave_Click();
    QDir::setCurrent(previous);
    QCOMPARE(contents(name), QByteArray());
    QVERIFY(contents(path(QStringLiteral("Documento3"))).startsWith(start.toLatin1()));
}

// Names in the rows stand for paths in the test's folder: "@uno.txt" for
// its full path, "file:@uno.txt" for its file:// address.
static QStringList inFolder(const QStringList &names, const QString &folder)
{
    QStringList result;
    for (QString name : names) {
        if (name.startsWith(u"file:@"))
            name = QUrl::fromLocalFile(folder + u'/' + name.mid(6)).toString();
        result << name.replace(u'@', folder + u'/');
    }
    return result;
}

void TestFileCommands::commandLine_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitStatus"); // -1: the program starts
    QTest::addColumn<QStringList>("titles");
    QTest::addColumn<QStringList>("missing"); // files the messages name, in order
    QTest::addColumn<QString>("printed");     // part of the output, or of the errors
    const QStringList first{"Documento1"};
    QTest::newRow("none") << QStringList{} << -1 << first << QStringList{} << QString();
    QTest::newRow("one") << QStringList{"@uno.txt"} << -1 << first + QStringList{"@uno.txt"}
                         << QStringList{} << QString();
    QTest::newRow("several, the last in front")
        << QStringList{"@due.txt", "@uno.txt", "@due.txt"} << -1
        << first + QStringList{"@due.txt", "@uno.txt", "@due.txt"} << QStringList{} << QString();
    QTest::newRow("relative") << QStringList{"uno.txt", "./sotto/../due.txt"} << -1
                              << first + QStringList{"@uno.txt", "@due.txt"} << QStringList{}
                              << QString();
    QTest::newRow("file address with a blank")
        << QStringList{"file:@con spazio.txt"} << -1 << first + QStringList{"@con spazio.txt"}
        << QStringList{} << QString();
    QTest::newRow("file address relative to the folder")
        << QStringList{"file:con%20spazio.txt"} << -1 << first + QStringList{"@con spazio.txt"}
        << QStringList{} << QString();
    QTest::newRow("file address of this computer by name")
        << QStringList{"file://localhost@uno.txt"} << -1 << first + QStringList{"@uno.txt"}
        << QStringList{} << QString();
    QTest::newRow("file address of another computer")
        << QStringList{"uno.txt", "file://altro.example/uno.txt"} << 2 << QStringList{}
        << QStringList{} << QStringLiteral("di un altro computer");
    QTest::newRow("the toolkit's options, left to it")
        << QStringList{"-style", "fusion", "--platform=offscreen", "-reverse", "uno.txt"} << -1
        << first + QStringList{"@uno.txt"} << QStringList{} << QString();
    QTest::newRow("after --, a name like an option")
        << QStringList{"--", "-x.txt"} << -1 << first + QStringList{"@-x.txt"} << QStringList{}
        << QString();
    QTest::newRow("missing file between two")
        << QStringList{"uno.txt", "manca.txt", "due.txt"} << -1
        << first + QStringList{"@uno.txt", "@due.txt"} << QStringList{"@manca.txt"} << QString();
    QStringList manyMissing{"uno.txt"};
    for (int i = 1; i <= 12; ++i)
        manyMissing << QStringLiteral("manca%1.txt").arg(i);
    QStringList missingNames = manyMissing.mid(1);
    for (QString &name : missingNames)
        name.prepend(u'@');
    QTest::newRow("twelve missing files, one message")
        << manyMissing << -1 << first + QStringList{"@uno.txt"} << missingNames << QString();
    QTest::newRow("folder") << QStringList{"sotto"} << -1 << first << QStringList{"@sotto"}
                            << QString();
    QTest::newRow("--help") << QStringList{"--help", "uno.txt"} << 0 << QStringList{}
                            << QStringList{} << QStringLiteral("Utilizzo:");
    QTest::newRow("-h") << QStringList{"-h"} << 0 << QStringList{} << QStringList{}
                        << QStringLiteral("-v, --version");
    QTest::newRow("--version") << QStringList{"--version"} << 0 << QStringList{} << QStringList{}
                               << QStringLiteral("Vidizizor 1.");
    QTest::newRow("unknown option")
        << QStringList{"uno.txt", "--sconosciuta"} << 2 << QStringList{} << QStringList{}
        << QStringLiteral("Opzione sconosciuta 'sconosciuta'.");
    QTest::newRow("unknown short option")
        << QStringList{"-q"} << 2 << QStringList{} << QStringList{} << QStringLiteral("Utilizzo:");
}

// The files named on the command line open as Open opens them, after
// Documento1 and in their order; --help, --version and a wrong option
// answer without opening anything.
void TestFileCommands::commandLine()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitStatus);
    QFETCH(QStringList, titles);
    QFETCH(QStringList, missing);
    QFETCH(QString, printed);
    const QString folder = dir_->path();
    putNamedFiles();

    // The toolkit's Italian texts, as the program has them.
    QTranslator italian;
    QVERIFY(italian.load(QStringLiteral("qtbase_it"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)));
    QCoreApplication::installTranslator(&italian);
    const CommandLine request = CommandLine::read(
        CommandLine::withoutToolkitOptions(QStringList{"vidizizor"} + inFolder(arguments, folder)),
        folder);
    if (exitStatus >= 0) {
        QCOMPARE(request.exitStatus, std::optional<int>(exitStatus));
        QVERIFY(request.files.isEmpty());
        const QString &text = exitStatus == 0 ? request.output : request.errors;
        QVERIFY2(text.contains(printed), qPrintable(text));
        QVERIFY((exitStatus == 0 ? request.errors : request.output).isEmpty());
        if (exitStatus == 2 && !printed.contains(u"computer"))
            QVERIFY(request.errors.contains(QStringLiteral("[file...]")));
        return;
    }
    QVERIFY(!request.exitStatus);
    Editor editor;
    editor.window->OpenFiles(request.files);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    for (frmDocument *document : editor.window->documents())
        QVERIFY(waitForLoad(*document));
    QCOMPARE(editor.titles(), inFolder(titles, folder));
    QCOMPARE(editor.active()->Caption(), inFolder(titles, folder).last());
    const QString last = titles.last();
    if (last.startsWith(u'@'))
        QCOMPARE(textOf(editor.active()), QString::fromLatin1(contents(path(last.mid(1)))));
    // The files that cannot be opened are told in one message, a few of
    // them by name.
    const QStringList failed = inFolder(missing, folder);
    QCOMPARE(editor.messages->messages.size(), failed.isEmpty() ? 0 : 1);
    if (failed.size() == 1)
        QCOMPARE(editor.messages->messages.front().split(u'\n').first(),
                 cannotOpen(failed.front()));
    if (failed.size() < 2)
        return;
    const QStringList lines = editor.messages->messages.front().split(u'\n');
    QCOMPARE(lines.first(), QStringLiteral("Impossibile aprire %1 file:").arg(failed.size()));
    for (qsizetype i = 0; i < 10; ++i)
        QVERIFY(lines[i + 1].startsWith(u'"' + failed[i] + QStringLiteral("\": ")));
    QCOMPARE(lines.size(), 12);
    QCOMPARE(lines.last(), QStringLiteral("e altri 2."));
}

void TestFileCommands::droppedFilesOpen_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<QStringList>("urls");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("titles");
    QTest::addColumn<QString>("typed"); // Documento1's text afterwards
    const QStringList first{"Documento1"};
    // A file manager gives the files' addresses as text too.
    QTest::newRow("files on the text box")
        << "text box" << QStringList{"file:@uno.txt", "file:@manca.txt", "file:@due.txt"}
        << "file:@uno.txt" << first + QStringList{"@uno.txt", "@due.txt"} << "";
    QTest::newRow("file on the toolbar")
        << "toolbar" << QStringList{"file:@uno.txt"} << "" << first + QStringList{"@uno.txt"} << "";
    QTest::newRow("file on the empty area")
        << "area" << QStringList{"file:@uno.txt"} << "" << QStringList{"@uno.txt"} << "";
    QTest::newRow("text on the text box")
        << "text box" << QStringList{} << "ciao" << first << "ciao";
    QTest::newRow("web address on the text box")
        << "text box" << QStringList{"https://example.com/a.txt"} << "" << first
        << "https://example.com/a.txt";
    QTest::newRow("web address on the toolbar")
        << "toolbar" << QStringList{"https://example.com/a.txt"} << "" << first << "";
}

// Dropped local files open as Open opens them, wherever on the main window
// they land; dropped text still goes into the text box.
void TestFileCommands::droppedFilesOpen()
{
    QFETCH(QString, target);
    QFETCH(QStringList, urls);
    QFETCH(QString, text);
    QFETCH(QStringList, titles);
    QFETCH(QString, typed);
    const QString folder = dir_->path();
    putNamedFiles();
    Editor editor;
    QVERIFY(QTest::qWaitForWindowExposed(editor.window.get()));
    frmDocument *documento1 = editor.active();
    QWidget *widget = documento1->txtText;
    if (target == u"toolbar")
        widget = editor.find<QToolBar>("tbToolBar");
    if (target == u"area") {
        editor.closeAll();
        widget = editor.window->documentArea()->viewport();
    }
    QMimeData data;
    QList<QUrl> addresses;
    for (const QString &url : inFolder(urls, folder))
        addresses << QUrl(url);
    if (!addresses.isEmpty())
        data.setUrls(addresses);
    if (!text.isEmpty())
        data.setText(inFolder({text}, folder).first());

    const QPoint point = widget->rect().center();
    const Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction;
    QDragEnterEvent enter(point, actions, &data, Qt::LeftButton, {});
    QApplication::sendEvent(widget, &enter);
    QDragMoveEvent move(point, actions, &data, Qt::LeftButton, {});
    QApplication::sendEvent(widget, &move);
    const bool taken = titles != QStringList{"Documento1"} || !typed.isEmpty();
    QCOMPARE(move.isAccepted(), taken);
    QDropEvent drop(point, actions, &data, Qt::LeftButton, {});
    QApplication::sendEvent(widget, &drop);
    QCOMPARE(drop.isAccepted(), taken);
    if (taken && typed.isEmpty()) // files are copied, never moved away
        QCOMPARE(drop.dropAction(), Qt::CopyAction);

    QTRY_COMPARE(editor.titles(), inFolder(titles, folder));
    QCOMPARE(editor.active()->Caption(), inFolder(titles, folder).last());
    if (target != u"area")
        QCOMPARE(textOf(documento1), typed);
    QCOMPARE(editor.messages->messages.size(), urls.contains(u"file:@manca.txt") ? 1 : 0);
}

int main(int argc, char *argv[])
{
    if (argc == 4 && qstrcmp(argv[1], "--save-child") == 0)
        return saveInChild(argc, argv);
    QTEST_MAIN_SETUP()
    TestFileCommands test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_filecommands.moc"
