#pragma once

#include <QPointer>
#include <QStringList>

class frmMain;

/// The start-up module.
namespace Modulo1 {

/// The one main window, kept for the whole run; it becomes null once the
/// window has deleted itself at the end, so it never points at nothing.
extern QPointer<frmMain> MainWindow;

/// Creates the main window with the system's services and shows it.
void Main();
/// Starts as Main does, then opens each file as the Open command would,
/// the last one in front.
void Main(const QStringList &files);
/// Says that a command was given up for want of memory.
void TellOutOfMemory();

} // namespace Modulo1
