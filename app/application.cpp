#include "application.h"

#include <QTimer>

#include <new>

Application::Application(int &argc, char **argv) : QApplication(argc, argv) {}

bool Application::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::bad_alloc &) {
        // Told from the event loop, once the command's own memory is gone.
        if (outOfMemory_)
            QTimer::singleShot(0, this, outOfMemory_);
        return false;
    }
}
