#pragma once

#include <QObject>

class DocumentActivation;
class QMainWindow;
class QMdiArea;
class QMdiSubWindow;

/// Keys of the platform's MDI frames that Qt does not give: F10 puts the
/// focus on the menu bar as a lone Alt press does, Alt+- opens the active
/// document's window menu, Ctrl+F6 and Ctrl+Shift+F6 cycle the documents,
/// and a document's window menu closes it with Ctrl+F4 (not Ctrl+W).
class WindowKeys : public QObject
{
    Q_OBJECT

public:
    WindowKeys(QMainWindow &window, QMdiArea &area, DocumentActivation &activation);

    /// Gives a document window's own menu the platform's key for Chiudi.
    static void prepare(QMdiSubWindow &window);

private:
    void focusMenuBar();
    void showWindowMenu();

    QMainWindow &window_;
    QMdiArea &area_;
};
