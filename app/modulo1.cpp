#include "modulo1.h"

#include "frmmain.h"
#include "frontwindow.h"

#include "document/accessibility.h"
#include "document/documentjournals.h"
#include "platform/sessionbushandover.h"
#include "platform/terminationsignals.h"

#include <QDir>
#include <QGuiApplication>
#include <QSessionManager>
#include <QTimer>

#include <unistd.h>

namespace Modulo1 {

QPointer<frmMain> MainWindow;

namespace {

void start(bool keepJournals)
{
    // Before any field is made, the toolkit's dialogs' included.
    Accessibility::install();
    MainWindow = new frmMain(makeSystemPlatform());
    MainWindow->setAttribute(Qt::WA_DeleteOnClose);
    if (keepJournals)
        MainWindow->keepJournals(DocumentJournals::defaultFolder());
    MainWindow->Show();
    // Taken for as long as the window lives.
    SessionBusHandOver::forSession(MainWindow)->receive([](const QStringList &paths) {
        if (!MainWindow)
            return;
        bringToFront(*MainWindow);
        MainWindow->OpenFiles(paths);
    });
}

void openLater(const QStringList &files)
{
    if (files.isEmpty())
        return;
    // The files open once the program runs, so that the main window with
    // Documento1 is there first and shows each file's progress.
    QTimer::singleShot(0, MainWindow, [files] {
        if (MainWindow)
            MainWindow->OpenFiles(files);
    });
}

// An end nobody chose in the program: the journals are synced and the
// program ends at once, from whichever thread, without closing a document
// (which would discard its journal) and without waiting for the window.
[[noreturn]] void endKeepingJournals(int status)
{
    ::_exit(status);
}

void endOnRequest(DocumentJournals &journals, const TerminationSignals &endings)
{
    journals.watch(endings.descriptor(), [&endings] {
        if (const int signal = endings.take())
            endKeepingJournals(TerminationSignals::exitStatus(signal));
    });
    // The session's logout asks no question: what is typed is in the
    // journals, and comes back at the next start.
    QObject::connect(qApp, &QGuiApplication::commitDataRequest, &journals,
                     [&journals](QSessionManager &) {
                         journals.flush();
                         endKeepingJournals(0);
                     });
}

} // namespace

void Main()
{
    start(false);
}

void Main(const QStringList &files)
{
    start(false);
    openLater(files);
}

void MainWithJournals(const QStringList &files, const TerminationSignals &endings)
{
    start(true);
    if (DocumentJournals *journals = MainWindow->journals()) {
        endOnRequest(*journals, endings);
        MainWindow->recoverJournals();
    }
    openLater(files);
}

void End()
{
    delete MainWindow;
}

bool HandToRunningProgram(const QStringList &files)
{
    QObject owner;
    return !files.isEmpty() &&
           SessionBusHandOver::forSession(&owner)->handOver(QDir::currentPath(), files);
}

void TellOutOfMemory()
{
    if (MainWindow)
        MainWindow->platform().messageBox->warn(
            QStringLiteral("Memoria insufficiente: il comando non è stato eseguito."));
}

} // namespace Modulo1
