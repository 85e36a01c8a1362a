#pragma once

#include "platform/filedialog.h"

#include <QStringList>

/// A file dialog that answers from a queue instead of asking the user.
/// Each show takes the next answer; an empty answer means "cancelled".
class FakeFileDialog : public FileDialog
{
public:
    void answer(const QString &path) { answers_ << path; }

    void showOpen() override { take(QStringLiteral("open")); }
    void showSave() override { take(QStringLiteral("save")); }

    /// The kinds of dialog shown so far, in order ("open" or "save"), and the
    /// file name each of them started with.
    QStringList shown;
    QStringList startNames;

private:
    void take(const QString &kind)
    {
        shown << kind;
        startNames << fileName_;
        const QString next = answers_.isEmpty() ? QString() : answers_.takeFirst();
        if (!next.isEmpty())
            fileName_ = next;
    }

    QStringList answers_;
};
