#include "modulo1.h"

#include "frmmain.h"
#include "frontwindow.h"

#include "document/accessibility.h"
#include "platform/sessionbushandover.h"

#include <QDir>
#include <QTimer>

namespace Modulo1 {

QPointer<frmMain> MainWindow;

void Main()
{
    // Before any field is made, the toolkit's dialogs' included.
    Accessibility::install();
    MainWindow = new frmMain(makeSystemPlatform());
    MainWindow->setAttribute(Qt::WA_DeleteOnClose);
    MainWindow->Show();
    // Taken for as long as the window lives.
    SessionBusHandOver::forSession(MainWindow)->receive([](const QStringList &paths) {
        if (!MainWindow)
            return;
        bringToFront(*MainWindow);
        MainWindow->OpenFiles(paths);
    });
}

void Main(const QStringList &files)
{
    Main();
    if (files.isEmpty())
        return;
    // The files open once the program runs, so that the main window with
    // Documento1 is there first and shows each file's progress.
    QTimer::singleShot(0, MainWindow, [files] {
        if (MainWindow)
            MainWindow->OpenFiles(files);
    });
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
