#pragma once

#include <QLabel>
#include <QTimer>

#include <functional>

class Clock;
class QLocale;

/// The locale's short time format showing hours and minutes only.
QString hoursAndMinutesFormat(const QLocale &locale);

/// A status bar panel that shows the date or the time and keeps it current
/// by itself: it rereads the clock at the start of every minute.
class ClockPanel : public QLabel
{
    Q_OBJECT

public:
    enum class Shows { Date, Time };

    ClockPanel(Shows shows, const Clock &clock, QWidget *parent = nullptr);

    /// Rereads the clock now.
    void refresh();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void scheduleNextRefresh();

    Shows shows_;
    const Clock &clock_;
    QTimer timer_;
};
