#pragma once

#include <QStatusBar>

class Announcement;
class Clock;
class InfoPanel;
class QProgressBar;

/// The main window's status bar: "Stato" in the first panel, the date and
/// the time in the other two, kept current by the panels themselves, a
/// progress bar that shows only while a file loads, and between them the
/// program's own panel with its notes (InfoPanel). The notes are said to a
/// screen reader as they come. "Stato" keeps its text for the whole run:
/// the bar shows no message of its own, and a menu's status tip neither
/// hides it nor takes a note away.
class StatusBar : public QStatusBar
{
    Q_OBJECT

public:
    StatusBar(const Clock &clock, QWidget *parent);

    /// Shows how far a load has come, 0 to 100; a negative value hides it.
    void showProgress(int percent);
    /// Shows a short note for a while, and says it to a screen reader.
    void showNote(const QString &text);
    /// Shows a note until another takes its place, and says it.
    void showLastingNote(const QString &text);
    /// Takes the note away, when it is still the one shown.
    void withdrawNote(const QString &text);
    /// The note shown; empty when there is none.
    QString note() const;
    /// Adds a part to the program's own panel, after the notes.
    void addInfoPart(QWidget *part);

private:
    QProgressBar *progress_;
    InfoPanel *info_;
    Announcement *announcement_;
};
