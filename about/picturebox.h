#pragma once

#include <QLabel>

/// A picture in a sunken frame that can take the focus, and shows that it
/// has it with a focus rectangle around the picture.
class PictureBox : public QLabel
{
    Q_OBJECT

public:
    explicit PictureBox(QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;
};
