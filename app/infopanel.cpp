#include "infopanel.h"

#include "notespanel.h"

#include <QEvent>

#include <algorithm>

InfoPanel::InfoPanel(QWidget *parent) : QWidget(parent), notes_(new NotesPanel(this))
{
    setObjectName(QStringLiteral("infoPanel"));
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    notes_->installEventFilter(this);
    followParts();
}

void InfoPanel::addPart(QWidget *part)
{
    part->setParent(this);
    parts_.append(part);
    part->installEventFilter(this);
    followParts();
}

QList<QWidget *> InfoPanel::shownParts() const
{
    QList<QWidget *> shown;
    for (QWidget *part : QList<QWidget *>{notes_} + parts_)
        if (!part->isHidden())
            shown.append(part);
    return shown;
}

int InfoPanel::spacing() const
{
    return fontMetrics().horizontalAdvance(u' ');
}

// As tall as a label of the status bar, whatever the parts would take.
QSize InfoPanel::rowSize(QSize (QWidget::*size)() const) const
{
    const QList<QWidget *> shown = shownParts();
    int width = spacing() * std::max<int>(0, int(shown.size()) - 1);
    for (const QWidget *part : shown)
        width += (part->*size)().width();
    return {width, notes_->sizeHint().height()};
}

QSize InfoPanel::sizeHint() const
{
    return rowSize(&QWidget::sizeHint);
}

QSize InfoPanel::minimumSizeHint() const
{
    return rowSize(&QWidget::minimumSizeHint);
}

// The parts after the notes have the width they ask for as long as the
// notes can still give some up; the notes take what is left.
void InfoPanel::placeParts()
{
    const QList<QWidget *> shown = shownParts();
    int room = width() - spacing() * std::max<int>(0, int(shown.size()) - 1);
    int asked = 0;
    for (const QWidget *part : shown)
        if (part != notes_)
            asked += part->sizeHint().width();
    int x = 0;
    for (QWidget *part : shown) {
        int partWidth = std::min(room, part->sizeHint().width());
        if (part == notes_)
            partWidth = std::max(notes_->minimumSizeHint().width(), room - asked);
        part->setGeometry(x, 0, partWidth, height());
        x += partWidth + spacing();
        room -= partWidth;
    }
}

bool InfoPanel::event(QEvent *event)
{
    // A part's size changed (a longer note, another encoding).
    if (event->type() == QEvent::LayoutRequest) {
        updateGeometry();
        placeParts();
    }
    return QWidget::event(event);
}

bool InfoPanel::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::ShowToParent || event->type() == QEvent::HideToParent) {
        followParts();
        updateGeometry();
        placeParts();
    }
    return QWidget::eventFilter(watched, event);
}

void InfoPanel::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    placeParts();
}

void InfoPanel::followParts()
{
    const QList<QWidget *> shown = shownParts();
    setVisible(!shown.isEmpty());
}
