#include "modulo1.h"

#include "frmmain.h"

namespace Modulo1 {

QPointer<frmMain> MainWindow;

void Main()
{
    MainWindow = new frmMain(makeSystemPlatform());
    MainWindow->setAttribute(Qt::WA_DeleteOnClose);
    MainWindow->Show();
}

} // namespace Modulo1
