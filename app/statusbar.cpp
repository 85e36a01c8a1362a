#include "statusbar.h"

#include "clockpanel.h"
#include "infopanel.h"
#include "notespanel.h"

#include "platform/announcement.h"
#include "platform/twips.h"

#include <QLabel>
#include <QProgressBar>

StatusBar::StatusBar(const Clock &clock, QWidget *parent)
    : QStatusBar(parent), progress_(new QProgressBar(this)), info_(new InfoPanel(this)),
      announcement_(new Announcement(*this))
{
    setObjectName(QStringLiteral("sbStatusBar"));
    setSizeGripEnabled(true);
    auto *statusPanel = new QLabel(QStringLiteral("Stato"), this);
    statusPanel->setObjectName(QStringLiteral("statusPanel"));
    statusPanel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    statusPanel->setMinimumWidth(Twips(*this).toPixelsX(1440));
    auto *datePanel = new ClockPanel(ClockPanel::Shows::Date, clock, this);
    datePanel->setObjectName(QStringLiteral("datePanel"));
    auto *timePanel = new ClockPanel(ClockPanel::Shows::Time, clock, this);
    timePanel->setObjectName(QStringLiteral("timePanel"));
    progress_->setRange(0, 100);
    progress_->setMaximumWidth(Twips(*this).toPixelsX(2400));
    progress_->hide();
    addWidget(statusPanel, 1);
    addWidget(progress_);
    addPermanentWidget(info_);
    addPermanentWidget(datePanel);
    addPermanentWidget(timePanel);
}

// QProgressBar::setValue paints the bar at once, and puts the window on
// the screen, at every step it shows: a gigabyte loading took a hundred
// such paints from the window's share of the load. The step is painted with
// the window's next paint instead.
void StatusBar::showProgress(int percent)
{
    progress_->setVisible(percent >= 0);
    if (percent < 0 || percent == progress_->value())
        return;
    progress_->setUpdatesEnabled(false);
    progress_->setValue(percent);
    progress_->setUpdatesEnabled(true); // which asks for a paint
}

void StatusBar::showNote(const QString &text)
{
    info_->notes().showBriefly(text);
    // The eye reads the note in the status bar, a screen reader hears it.
    announcement_->say(text);
}

void StatusBar::showLastingNote(const QString &text)
{
    info_->notes().showUntilReplaced(text);
    announcement_->say(text);
}

void StatusBar::withdrawNote(const QString &text)
{
    info_->notes().withdraw(text);
}

QString StatusBar::note() const
{
    return info_->notes().text();
}

void StatusBar::addInfoPart(QWidget *part)
{
    info_->addPart(part);
}
