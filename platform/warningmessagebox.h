#pragma once

#include "messagebox.h"

/// Shows everything it is given as a failure, with the warning picture.
/// Commands whose every message reports a failure are given one of these.
class WarningMessageBox : public MessageBox
{
public:
    explicit WarningMessageBox(MessageBox &shown) : shown_(shown) {}

protected:
    void present(const QString &text, Icon) override { shown_.warn(text); }

private:
    MessageBox &shown_;
};
