#include "frontwindow.h"

#include <QApplication>
#include <QWidget>

void bringToFront(QWidget &window)
{
    if (window.isMinimized())
        window.setWindowState(window.windowState() & ~Qt::WindowMinimized);
    QWidget *modal = QApplication::activeModalWidget();
    QWidget &front = modal ? *modal : window;
    front.raise();
    front.activateWindow();
}
