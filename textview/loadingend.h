#pragma once

#include <QtGlobal>

#include <functional>
#include <vector>

class TextCursor;
class TextModel;

/// The end of a text that is still loading is not the document's end. A
/// caret there, with nothing selected, stands for the document's end: it
/// stays at the end as more text comes, and an edit made there waits until
/// the rest of the text has come, so that it lands after the last character
/// of the file, never inside a line that has not finished loading. Edits
/// anywhere else go at once, among the text loaded so far.
class LoadingEnd
{
public:
    LoadingEnd(const TextModel &model, TextCursor &cursor);

    /// Whether an edit at the caret must wait for the rest of the text.
    bool mustWait() const { return atLoadingEnd(); }
    /// Keeps an edit to make at the end once the text has all come.
    void wait(std::function<void()> edit) { waiting_.push_back(std::move(edit)); }

    /// Follows text appended at position: a caret that stood at the end
    /// moves on to the new end. Whether it moved.
    bool follow(qint64 position, qint64 removed, qint64 added);

    /// Makes the waiting edits at the end, in the order they were asked for;
    /// a caret the user has moved elsewhere meanwhile is put back there.
    void makeWaitingEdits();

private:
    bool atLoadingEnd() const;

    const TextModel &model_;
    TextCursor &cursor_;
    std::vector<std::function<void()>> waiting_;
};
