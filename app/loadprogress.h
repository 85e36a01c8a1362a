#pragma once

#include <QObject>

class QMdiArea;
class StatusBar;
class frmDocument;

/// The status bar's progress bar follows the active document: it shows how
/// far that document's file has loaded, and hides when the active document
/// is not loading, whatever the others are doing.
class LoadProgress : public QObject
{
public:
    LoadProgress(QMdiArea &area, StatusBar &statusBar);

    /// Follows a new document's load.
    void watch(frmDocument &document);

private:
    frmDocument *active() const;
    void showActive();

    QMdiArea &area_;
    StatusBar &statusBar_;
};
