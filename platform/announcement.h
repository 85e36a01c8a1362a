#pragma once

#include <QObject>
#include <QString>

/// Says a short text to a screen reader without moving the focus: the
/// outcome of a command that the eye reads in the status bar ("Testo non
/// trovato", "3 sostituzioni", an address copied).
///
/// It is a notification for assistive technology, shown each time something
/// is said, which screen readers speak as it appears; it has nothing on the
/// screen, and lives as long as its owner.
class Announcement : public QObject
{
    Q_OBJECT

public:
    explicit Announcement(QObject &owner);

    void say(const QString &text);
    /// What was said last.
    QString text() const { return text_; }

private:
    QString text_;
};
