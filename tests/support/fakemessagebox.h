#pragma once

#include "platform/messagebox.h"

#include <QStringList>

/// Records the messages, and the picture each carries, instead of showing them.
class FakeMessageBox : public MessageBox
{
public:
    QStringList messages;
    QList<Icon> icons;

protected:
    void present(const QString &text, Icon icon) override
    {
        messages << text;
        icons << icon;
    }
};
