#pragma once

#include <QLabel>

/// A label showing an address that can be copied from the keyboard as well
/// as by a double click: it takes the focus (Tab reaches it), shows that it
/// has it, and Enter or Ctrl+C asks for the copy. A screen reader sees a
/// button that copies, with the keys as its description.
class AddressLabel : public QLabel
{
    Q_OBJECT

public:
    explicit AddressLabel(QWidget *parent = nullptr);

signals:
    void copyRequested();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
};
