#pragma once

#include <QList>
#include <QObject>

class DocumentActivation;
class QAction;
class QMdiArea;
class QMdiSubWindow;
class QMenu;

/// The open documents at the foot of the Window menu, numbered "&1 " to "&9 "
/// as the platform numbers its window list, the active one marked. Past
/// nine documents the list shows the first eight, the active one ninth when
/// it is not among them, and "&Altre finestre...", which lists them all in a
/// dialog to pick from. The entries are made afresh each time the menu opens.
class WindowList : public QObject
{
    Q_OBJECT

public:
    static constexpr int MostListed = 9;

    WindowList(QMenu &menu, QMdiArea &area, DocumentActivation &activation);

    void refresh();

private:
    void addEntry(int number, QMdiSubWindow *window, bool active);
    void chooseFromAll();

    QMenu &menu_;
    QMdiArea &area_;
    DocumentActivation &activation_;
    QAction *separator_;
    QList<QAction *> entries_;
};
