#pragma once

#include <QString>

/// A modal message box titled with the application's title, with one OK
/// button.
class MessageBox
{
public:
    /// The picture beside the text.
    enum class Icon { None, Warning };

    virtual ~MessageBox() = default;

    /// Shows the text with no picture and blocks until the user closes the box.
    void show(const QString &text) { present(text, Icon::None); }
    /// Shows the text with the warning picture, as the report of a failure.
    void warn(const QString &text) { present(text, Icon::Warning); }

protected:
    virtual void present(const QString &text, Icon icon) = 0;
};

/// The title every message box carries.
inline QString applicationTitle()
{
    return QStringLiteral("Vidizizor");
}
