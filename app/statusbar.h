#pragma once

#include <QStatusBar>

class Announcement;
class Clock;
class QProgressBar;

/// The main window's status bar: "Stato" in the first panel, the date and
/// the time in the other two, kept current by the panels themselves, and a
/// progress bar that shows only while a file loads.
class StatusBar : public QStatusBar
{
    Q_OBJECT

public:
    StatusBar(const Clock &clock, QWidget *parent);

    /// Shows how far a load has come, 0 to 100; a negative value hides it.
    void showProgress(int percent);
    /// Shows a short note in the first panel for a while, and says it to a
    /// screen reader.
    void showNote(const QString &text);

private:
    QProgressBar *progress_;
    Announcement *announcement_;
};
