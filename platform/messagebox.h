#pragma once

#include <QString>

/// A modal message box titled with the application's title, with one OK
/// button and no icon.
class MessageBox
{
public:
    virtual ~MessageBox() = default;
    /// Shows the text and blocks until the user closes the box.
    virtual void show(const QString &text) = 0;
};

/// The title every message box carries.
inline QString applicationTitle()
{
    return QStringLiteral("Vidizizor");
}
