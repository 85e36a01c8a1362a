#include "modulo1.h"

#include "frmmain.h"

#include <QTimer>

namespace Modulo1 {

QPointer<frmMain> MainWindow;

void Main()
{
    MainWindow = new frmMain(makeSystemPlatform());
    MainWindow->setAttribute(Qt::WA_DeleteOnClose);
    MainWindow->Show();
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

void TellOutOfMemory()
{
    if (MainWindow)
        MainWindow->platform().messageBox->warn(
            QStringLiteral("Memoria insufficiente: il comando non è stato eseguito."));
}

} // namespace Modulo1
