#pragma once

#include "messagebox.h"

class QtMessageBox : public MessageBox
{
public:
    void show(const QString &text) override;
};
