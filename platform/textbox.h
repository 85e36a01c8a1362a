#pragma once

#include <QString>

/// A multi-line text box as the commands see it.
///
/// Text is the whole document with every line break as the characters that
/// make it up (CR LF for a line the user typed). SelStart and SelLength count
/// characters of that text, so a CR LF counts as two. Whatever goes in
/// through setText or setSelText comes back out exactly.
class TextBox
{
public:
    virtual ~TextBox() = default;

    virtual QString Text() const = 0;
    /// Replaces the whole text; the caret goes to the start.
    virtual void setText(const QString &text) = 0;
    /// Length of Text, without building it.
    virtual qsizetype textLength() const = 0;
    /// Adds text at the end, leaving caret, selection and scrolling alone.
    virtual void appendText(const QString &text) = 0;

    virtual QString SelText() const = 0;
    /// Replaces the selection (or inserts at the caret); the caret ends right
    /// after the inserted text, with nothing selected.
    virtual void setSelText(const QString &text) = 0;

    virtual qsizetype SelStart() const = 0;
    /// Puts the caret at this position (clamped to the text) and selects nothing.
    virtual void setSelStart(qsizetype start) = 0;

    virtual qsizetype SelLength() const = 0;
    /// Selects this many characters from SelStart (clamped to the text).
    virtual void setSelLength(qsizetype length) = 0;
};
