#pragma once

#include <QStringView>

class TextModel;

/// The caret and the selection in a model's text, and the edits made at
/// them: the selection runs from the anchor to the caret's position, in
/// either direction. Positions always stand where the caret may stand (see
/// TextNavigation).
class TextCursor
{
public:
    explicit TextCursor(TextModel &model) : model_(model) {}

    qint64 anchor() const { return anchor_; }
    qint64 position() const { return position_; }
    qint64 selectionStart() const { return std::min(anchor_, position_); }
    qint64 selectionEnd() const { return std::max(anchor_, position_); }
    bool hasSelection() const { return anchor_ != position_; }

    /// Moves the caret to position; with extend, the anchor stays where it is.
    void setPosition(qint64 position, bool extend = false);
    void select(qint64 anchor, qint64 position);

    /// Replaces the selection (or inserts at the caret); the caret ends
    /// right after the inserted text, with nothing selected.
    void insert(QStringView text);
    /// The same, for a string, which the model hands on with the edit.
    void insert(const QString &text);
    /// Removes the selection, or the character (or line break) before the
    /// caret.
    void deletePrevious();
    /// Removes the selection, or the character (or line break) after it.
    void deleteNext();

    /// Follows a change of the text made elsewhere: [position, position +
    /// removed) became added characters.
    void follow(qint64 position, qint64 removed, qint64 added);

private:
    void removeRange(qint64 from, qint64 to);

    TextModel &model_;
    qint64 anchor_ = 0;
    qint64 position_ = 0;
};
