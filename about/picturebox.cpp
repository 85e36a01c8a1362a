#include "picturebox.h"

#include "focusmark.h"

PictureBox::PictureBox(QWidget *parent) : QLabel(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
    setAlignment(Qt::AlignCenter);
}

void PictureBox::paintEvent(QPaintEvent *event)
{
    QLabel::paintEvent(event);
    drawFocusMark(*this, contentsRect()); // just inside the frame, around the picture
}
