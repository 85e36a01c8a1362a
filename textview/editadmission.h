#pragma once

#include <QString>

#include <functional>
#include <optional>
#include <vector>

class TextCursor;
class TextModel;

/// Which edits at the caret go now.
///
/// A large text (a paste, a drop, a replacement of everything) is held
/// against what the check says is left, and refused when it will not fit.
///
/// The end of a text that is still loading is not the document's end. A
/// caret there, with nothing selected, stands for the document's end: it
/// stays at the end as more text comes, and an edit made there waits until
/// the rest of the text has come, so that it lands after the last character
/// of the file, never inside a line that has not finished loading. Edits
/// anywhere else go at once, among the text loaded so far.
///
/// While held, every edit waits, wherever it is asked for, until the hold
/// is let go; it is then made at the caret as it stands.
class EditAdmission
{
public:
    /// Why an edit adding this many characters may not go now, if it may not.
    using Check = std::function<std::optional<QString>(qint64 characters)>;

    EditAdmission(const TextModel &model, TextCursor &cursor);

    void setCheck(Check check) { check_ = std::move(check); }
    const Check &check() const { return check_; }
    /// Why an edit that adds this many characters is refused, if it is.
    std::optional<QString> refusalFor(qint64 characters) const;

    /// Keeps an edit at the end of a text still loading, to make at the end
    /// once the text has all come; false when the edit may go now.
    bool waits(std::function<void()> edit);
    /// Whether an edit waits for the rest of the text.
    bool hasWaitingEdits() const { return !waiting_.empty(); }
    void hold() { held_ = true; }
    /// Lets the hold go and makes the edits that waited.
    void release();
    bool isHeld() const { return held_; }
    /// Makes the waiting edits at the end, in the order they were asked for;
    /// a caret the user has moved elsewhere meanwhile is put back there.
    void makeWaitingEdits();

    /// Follows text appended at position: a caret that stood at the end
    /// moves on to the new end. Whether it moved.
    bool follow(qint64 position, qint64 removed, qint64 added);

private:
    bool atLoadingEnd() const;

    const TextModel &model_;
    TextCursor &cursor_;
    struct Waiting
    {
        std::function<void()> make;
        bool atEnd = true; ///< made at the end of the text, not at the caret
    };

    Check check_;
    std::vector<Waiting> waiting_;
    bool held_ = false;
};
