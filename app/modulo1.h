#pragma once

class frmMain;

/// The start-up module.
namespace Modulo1 {

/// The one main window, kept for the whole run.
extern frmMain *MainWindow;

/// Creates the main window with the system's services and shows it.
void Main();

} // namespace Modulo1
