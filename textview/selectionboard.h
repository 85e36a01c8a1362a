#pragma once

#include <QString>

class QMimeData;

/// Where text views put what is selected, for a middle click to paste: the
/// X11 primary selection, where the system has one (SystemSelectionBoard).
class SelectionBoard
{
public:
    virtual ~SelectionBoard() = default;

    /// Whether the system has such a board at all.
    virtual bool available() const = 0;
    /// Makes data what the board holds, replacing what it held; the board
    /// owns it.
    virtual void offer(QMimeData *data) = 0;
    /// The text the board holds, whoever put it there.
    virtual QString text() const = 0;
};
