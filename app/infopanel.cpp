#include "infopanel.h"

#include "notespanel.h"

#include <QEvent>
#include <QHBoxLayout>

InfoPanel::InfoPanel(QWidget *parent) : QWidget(parent), notes_(new NotesPanel(this))
{
    setObjectName(QStringLiteral("infoPanel"));
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(notes_);
    notes_->installEventFilter(this);
    followParts();
}

bool InfoPanel::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::ShowToParent || event->type() == QEvent::HideToParent)
        followParts();
    return QWidget::eventFilter(watched, event);
}

void InfoPanel::followParts()
{
    setVisible(!notes_->isHidden());
}
