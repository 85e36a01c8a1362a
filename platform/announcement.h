#pragma once

#include <QObject>
#include <QString>

class QWidget;

/// Says a short text to a screen reader without moving the focus: the
/// outcome of a command that the eye reads in the status bar ("Testo non
/// trovato", "3 sostituzioni", an address copied).
///
/// It is a notification of its window for assistive technology, shown each
/// time something is said, which screen readers speak as it appears; it has
/// nothing on the screen.
class Announcement : public QObject
{
    Q_OBJECT

public:
    explicit Announcement(QWidget &window);

    void say(const QString &text);
    /// What was said last.
    QString text() const { return text_; }
    QWidget &window() const { return window_; }

private:
    QWidget &window_;
    QString text_;
};
