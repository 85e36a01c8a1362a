#pragma once

#include "messagebox.h"

#include <QStringList>

/// Records the messages instead of showing them.
class FakeMessageBox : public MessageBox
{
public:
    void show(const QString &text) override { messages << text; }
    QStringList messages;
};
