#include "documentactivation.h"

#include <QEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTimer>

#include <algorithm>

DocumentActivation::DocumentActivation(QMdiArea &area) : QObject(&area), area_(area) {}

void DocumentActivation::watch(QMdiSubWindow *window)
{
    window->installEventFilter(this);
    connect(window, &QMdiSubWindow::windowStateChanged, this,
            [this](Qt::WindowStates, Qt::WindowStates now) {
                if (now.testFlag(Qt::WindowMinimized))
                    leaveMinimised();
            });
}

bool DocumentActivation::eventFilter(QObject *watched, QEvent *event)
{
    // The area picks the next active window only after this one has gone.
    if (event->type() == QEvent::Hide)
        QTimer::singleShot(0, this, &DocumentActivation::leaveMinimised);
    return QObject::eventFilter(watched, event);
}

void DocumentActivation::leaveMinimised()
{
    QMdiSubWindow *current = area_.currentSubWindow();
    if (!current || !current->isMinimized())
        return;
    // The most recently active visible window is the last in the history.
    const QList<QMdiSubWindow *> history = area_.subWindowList(QMdiArea::ActivationHistoryOrder);
    for (auto it = history.crbegin(); it != history.crend(); ++it) {
        if ((*it)->isVisible() && !(*it)->isMinimized()) {
            activate(*it);
            return;
        }
    }
}

bool DocumentActivation::anyShown() const
{
    const QList<QMdiSubWindow *> windows = area_.subWindowList();
    return std::any_of(windows.cbegin(), windows.cend(), [](const QMdiSubWindow *window) {
        return window->isVisible() && !window->isMinimized();
    });
}

// Goes round the documents in the order they were made.
void DocumentActivation::cycle(bool forward)
{
    const QList<QMdiSubWindow *> windows = area_.subWindowList(QMdiArea::CreationOrder);
    const bool skipMinimised = anyShown();
    const qsizetype count = windows.size();
    qsizetype at = windows.indexOf(area_.currentSubWindow());
    for (qsizetype step = 0; step < count; ++step) {
        at = ((at + (forward ? 1 : -1)) % count + count) % count;
        QMdiSubWindow *window = windows[at];
        if (window->isVisible() && (!skipMinimised || !window->isMinimized())) {
            activate(window);
            return;
        }
    }
}

void DocumentActivation::activateNext()
{
    cycle(true);
}
void DocumentActivation::activatePrevious()
{
    cycle(false);
}

void DocumentActivation::bringToFront(QMdiSubWindow *window)
{
    if (window->isMinimized())
        window->showNormal();
    activate(window);
}

// The keyboard moves into the document before its window becomes active.
// Activating first would clear the focus of the text left, and clearing a
// focus tells assistive technology that the text left took it.
void DocumentActivation::activate(QMdiSubWindow *window)
{
    QWidget *document = window->widget();
    if (document && area_.isActiveWindow() && !window->isMinimized())
        document->setFocus(Qt::OtherFocusReason);
    area_.setActiveSubWindow(window);
}
