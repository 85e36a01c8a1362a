#include "addresslabel.h"

#include <QKeyEvent>
#include <QPainter>

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

// The focus mark is a dotted frame in the text's own colour: the style's
// focus rectangle hardly shows on the label's black.
void AddressLabel::paintEvent(QPaintEvent *event)
{
    QLabel::paintEvent(event);
    if (!hasFocus())
        return;
    QPainter painter(this);
    painter.setPen(QPen(palette().color(foregroundRole()), 1, Qt::DotLine));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}
