#pragma once

#include <QString>

class QRect;

/// What find and replace asks of the dialog a person fills in: the text to
/// find with its options, the text to put in its place, and where the
/// dialog shows. The window that owns the dialog makes it, and hands its
/// buttons' requests to the document commands.
class FindForm
{
public:
    /// What to look for, as the person asked for it.
    struct Query
    {
        QString text;
        bool matchCase = false;
        bool wholeWord = false;
    };

    virtual ~FindForm() = default;

    virtual Query query() const = 0;
    virtual QString replacement() const = 0;
    virtual bool isShown() const = 0;
    /// Shows the dialog and puts the keyboard in the find field, or in the
    /// replace field once there is a text to find; text, when not empty,
    /// becomes the text to find.
    virtual void present(const QString &text, bool replacing) = 0;
    /// Moves out of the way of an area of the screen (a match just found),
    /// when it covers it.
    virtual void keepClearOf(const QRect &area) = 0;
};
