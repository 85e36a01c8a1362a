#pragma once

#include <QDialog>

class QListWidget;

/// Lists every open document by its caption, the active one selected, for
/// the user to pick one: Enter, OK or a double click picks, Esc cancels.
class WindowChooser : public QDialog
{
    Q_OBJECT

public:
    WindowChooser(const QStringList &captions, int current, QWidget *parent);

    /// The row picked, or -1 when nothing is.
    int chosen() const;

private:
    QListWidget *list_;
};
