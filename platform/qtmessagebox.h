#pragma once

#include "messagebox.h"

class QtMessageBox : public MessageBox
{
protected:
    void present(const QString &text, Icon icon) override;
};
