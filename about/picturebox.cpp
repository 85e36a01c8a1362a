#include "picturebox.h"

PictureBox::PictureBox(QWidget *parent) : QLabel(parent)
{
    // Only a picture: nothing to do there, so no stop of the Tab key.
    setFocusPolicy(Qt::NoFocus);
    setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
    setAlignment(Qt::AlignCenter);
}
