#pragma once

#include "selectionboard.h"

/// The system's primary selection, through the toolkit's clipboard.
class SystemSelectionBoard : public SelectionBoard
{
public:
    bool available() const override;
    void offer(QMimeData *data) override;
    QString text() const override;
};
