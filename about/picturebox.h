#pragma once

#include <QLabel>

/// A picture in a sunken frame; it takes no focus.
class PictureBox : public QLabel
{
    Q_OBJECT

public:
    explicit PictureBox(QWidget *parent = nullptr);
};
