#include "activationafterdialogs.h"

#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <QWindow>

ActivationAfterDialogs::ActivationAfterDialogs(QWidget &window) : QObject(&window), window_(window)
{
    // A closing dialog takes the focus from its last field; the check waits
    // until the toolkit has finished letting the dialog go.
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget *, QWidget *now) {
        if (!now)
            QTimer::singleShot(0, this, &ActivationAfterDialogs::catchUp);
    });
}

void ActivationAfterDialogs::catchUp()
{
    if (QApplication::activeModalWidget() || QApplication::activeWindow() == &window_)
        return;
    if (window_.windowHandle() && QGuiApplication::focusWindow() == window_.windowHandle())
        QApplication::setActiveWindow(&window_);
}
