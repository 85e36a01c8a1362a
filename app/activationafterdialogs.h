#pragma once

#include <QObject>

class QWidget;

/// Keeps the toolkit's active window in step with the desktop's focus when
/// a modal dialog closes. The desktop may give the focus back to the main
/// window before the toolkit has let the dialog go; the toolkit then never
/// activates the main window again, so the document's text box takes keys
/// without ever being told active or focused, and a screen reader hears
/// nothing of it. Once the dialog is gone, the main window is activated as
/// the desktop's focus already says.
class ActivationAfterDialogs : public QObject
{
    Q_OBJECT

public:
    explicit ActivationAfterDialogs(QWidget &window);

private:
    void catchUp();

    QWidget &window_;
};
