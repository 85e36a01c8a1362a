#pragma once

#include <QPointer>
#include <QStringList>

class TerminationSignals;
class frmMain;

/// The start-up module.
namespace Modulo1 {

/// The one main window, kept for the whole run; it becomes null once the
/// window has deleted itself at the end, so it never points at nothing.
extern QPointer<frmMain> MainWindow;

/// Creates the main window with the system's services and shows it. Files
/// that later starts of the program hand over open in it, and bring it to
/// the front.
void Main();
/// Starts as Main does, then opens each file as the Open command would,
/// the last one in front.
void Main(const QStringList &files);
/// Starts as Main(files) does, keeping a journal of every document's
/// unsaved edits in the user's state folder: first the documents that
/// programs ended without a choice left there come back, after Documento1,
/// then the files open. The ending signals, a logout and a lost display end
/// the program with every journal synced and kept; Esci and closing a
/// document discard, as without journals.
void MainWithJournals(const QStringList &files, const TerminationSignals &endings);
/// Ends what Main made, once the event loop has returned: whatever
/// documents are still open close, as Esci closes them.
void End();
/// Says that a command was given up for want of memory.
void TellOutOfMemory();

/// Hands the files to the program already running in this desktop session;
/// true when it took them, and this start has nothing more to do.
bool HandToRunningProgram(const QStringList &files);

} // namespace Modulo1
