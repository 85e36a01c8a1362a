#pragma once

#include <QObject>

class QMdiArea;
class QMdiSubWindow;

/// Keeps the keyboard on a document the user can see. When the active
/// document is minimised, or closes and leaves a minimised one active,
/// activation moves on to the visible document that was active most
/// recently; with every document minimised, none is shown and typing goes
/// nowhere. It also cycles the documents and brings one to the front.
class DocumentActivation : public QObject
{
    Q_OBJECT

public:
    explicit DocumentActivation(QMdiArea &area);

    /// Starts watching a window newly added to the area.
    void watch(QMdiSubWindow *window);

    /// Activates the next (or previous) document that is not minimised;
    /// with every document minimised, simply the next (or previous) one.
    void activateNext();
    void activatePrevious();

    /// Activates the window, restoring it first when it is minimised.
    void bringToFront(QMdiSubWindow *window);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void activate(QMdiSubWindow *window);
    void leaveMinimised();
    void cycle(bool forward);
    bool anyShown() const;

    QMdiArea &area_;
};
