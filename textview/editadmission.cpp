#include "editadmission.h"

#include "text/textcursor.h"
#include "text/textmodel.h"

EditAdmission::EditAdmission(const TextModel &model, TextCursor &cursor)
    : model_(model), cursor_(cursor)
{
}

// Before anything has come, the caret at the start is the start of the file.
bool EditAdmission::atLoadingEnd() const
{
    return model_.isLoading() && !cursor_.hasSelection() && cursor_.position() > 0 &&
           cursor_.position() == model_.length();
}

// Small edits always fit in what is kept free.
std::optional<QString> EditAdmission::refusalFor(qint64 characters) const
{
    constexpr qint64 LargeEdit = qint64(1) << 20;
    if (characters < LargeEdit || !check_)
        return std::nullopt;
    return check_(characters);
}

bool EditAdmission::waits(std::function<void()> edit)
{
    if (!held_ && !atLoadingEnd())
        return false;
    waiting_.push_back({std::move(edit), !held_});
    return true;
}

void EditAdmission::release()
{
    held_ = false;
    makeWaitingEdits();
}

bool EditAdmission::follow(qint64 position, qint64 removed, qint64 added)
{
    const bool appended = removed == 0 && added > 0 && position + added == model_.length();
    if (!model_.isLoading() || !appended || position == 0 || cursor_.hasSelection() ||
        cursor_.position() != position)
        return false;
    cursor_.setPosition(model_.length());
    return true;
}

void EditAdmission::makeWaitingEdits()
{
    if (held_ || waiting_.empty())
        return;
    const qint64 anchor = cursor_.anchor();
    const qint64 position = cursor_.position();
    const bool movedAway = cursor_.hasSelection() || position != model_.length();
    bool madeAtEnd = false;
    for (const Waiting &edit : std::exchange(waiting_, {})) {
        if (edit.atEnd)
            cursor_.setPosition(model_.length());
        madeAtEnd = madeAtEnd || edit.atEnd;
        edit.make();
    }
    if (madeAtEnd && movedAway)
        cursor_.select(anchor, position);
}
