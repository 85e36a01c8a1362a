#include "addresslabel.h"

#include "focusmark.h"

#include <QKeyEvent>

AddressLabel::AddressLabel(QWidget *parent) : QLabel(parent)
{
    setFocusPolicy(Qt::TabFocus); // a click leaves the focus where it is
    setAccessibleDescription(QStringLiteral("Invio o Ctrl+C copia l'indirizzo in memoria."));
}

void AddressLabel::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter ||
        event->matches(QKeySequence::Copy)) {
        emit copyRequested();
        event->accept();
        return;
    }
    QLabel::keyPressEvent(event);
}

void AddressLabel::paintEvent(QPaintEvent *event)
{
    QLabel::paintEvent(event);
    drawFocusMark(*this, rect());
}
