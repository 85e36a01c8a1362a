#include "texthistory.h"

#include "textmodel.h"
#include "wordcharacters.h"

#include <algorithm>

namespace {

// A typed character that is no part of a word ends the word before it.
bool endsWord(QStringView typed)
{
    return !WordCharacters::isWordCharacter(WordCharacters::lastCodePoint(typed));
}

bool startsWord(QStringView typed)
{
    return WordCharacters::isWordCharacter(WordCharacters::firstCodePoint(typed));
}

// Short removals are joined into one string only up to this length, so that
// a long run of Backspace does not copy its text again at every key.
constexpr qsizetype JoinedLimit = 1024;

} // namespace

TextHistory::TextHistory(TextModel &model) : model_(model)
{
    timer_.start();
}

std::optional<TextHistory::Selection> TextHistory::undo()
{
    if (!canUndo() || depth_ > 0)
        return std::nullopt;
    const size_t index = --current_;
    Step &step = steps_[index];
    for (auto edit = step.edits.rbegin(); edit != step.edits.rend(); ++edit)
        exchange(*edit);
    if (step.breakBefore != step.breakAfter)
        model_.setLineBreak(step.breakBefore);
    runOpen_ = false;
    const Selection before = step.before;
    trim(index);
    return before;
}

std::optional<TextHistory::Selection> TextHistory::redo()
{
    if (!canRedo() || depth_ > 0)
        return std::nullopt;
    const size_t index = current_++;
    Step &step = steps_[index];
    for (Edit &edit : step.edits)
        exchange(edit);
    if (step.breakBefore != step.breakAfter)
        model_.setLineBreak(step.breakAfter);
    runOpen_ = false;
    const Selection after = step.after;
    trim(index);
    return after;
}

void TextHistory::exchange(Edit &edit)
{
    const qint64 length = edit.other.length();
    keptBytes_ -= edit.other.bytes();
    DetachedText out =
        model_.exchange(edit.position, edit.position + edit.length, std::move(edit.other));
    keptBytes_ += out.bytes();
    edit.other = std::move(out);
    edit.length = length;
}

void TextHistory::clear()
{
    steps_.clear();
    current_ = 0;
    keptBytes_ = 0;
    started_ = joining_ = false;
    runOpen_ = false;
}

void TextHistory::beginStep(Kind kind, Selection before, QStringView typed)
{
    if (depth_++ > 0)
        return;
    joining_ = joins(kind, before, typed);
    started_ = false;
    openKind_ = kind;
    openBefore_ = before;
    openBreak_ = model_.lineBreak();
    typedBoundary_ = !typed.isEmpty() && endsWord(typed);
}

bool TextHistory::joins(Kind kind, Selection before, QStringView typed) const
{
    if (kind == Kind::Other || !runOpen_ || steps_.empty() || current_ != steps_.size())
        return false;
    const Step &last = steps_.back();
    if (last.kind != kind || last.after != before || before.anchor != before.position)
        return false;
    if (now() - lastEditTime_ >= PauseMilliseconds)
        return false;
    // A word typed after a blank or a sign starts a step of its own.
    return !(kind == Kind::Typing && lastTypedBoundary_ && startsWord(typed));
}

void TextHistory::endStep(Selection after)
{
    if (depth_ == 0 || --depth_ > 0)
        return;
    if (joining_ || started_) {
        Step &step = steps_.back();
        step.after = after;
        step.breakAfter = model_.lineBreak();
        lastEditTime_ = now();
        runOpen_ = step.kind != Kind::Other && step.before.anchor == step.before.position;
        if (step.kind == Kind::Typing)
            lastTypedBoundary_ = typedBoundary_;
        trim(steps_.size() - 1);
    }
    joining_ = started_ = false;
}

void TextHistory::breakRun()
{
    if (depth_ == 0)
        runOpen_ = false;
}

void TextHistory::record(qint64 position, DetachedText removed, qint64 added)
{
    keptBytes_ += removed.bytes();
    if (depth_ == 0) {
        dropRedo();
        Step step;
        step.before = {position, position + removed.length()};
        step.after = {position + added, position + added};
        step.breakBefore = step.breakAfter = model_.lineBreak();
        step.edits.push_back({position, added, std::move(removed)});
        steps_.push_back(std::move(step));
        current_ = steps_.size();
        runOpen_ = false;
        trim(current_ - 1);
        return;
    }
    if (!joining_ && !started_) {
        dropRedo();
        Step step;
        step.kind = openKind_;
        step.before = step.after = openBefore_;
        step.breakBefore = step.breakAfter = openBreak_;
        steps_.push_back(std::move(step));
        current_ = steps_.size();
        started_ = true;
    }
    std::vector<Edit> &edits = steps_.back().edits;
    if (edits.empty() || !joinEdit(edits.back(), position, removed, added))
        edits.push_back({position, added, std::move(removed)});
}

// Typing on at the end of what the last edit inserted, or removing right
// before or right after what it removed, makes one edit of the two.
bool TextHistory::joinEdit(Edit &last, qint64 position, DetachedText &removed, qint64 added)
{
    if (removed.isEmpty() && position == last.position + last.length) {
        last.length += added;
        return true;
    }
    if (added != 0 || last.length != 0 || removed.isChunks() || last.other.isChunks() ||
        removed.length() + last.other.length() > JoinedLimit)
        return false;
    if (position + removed.length() == last.position) {
        last.other.prepend(removed);
        last.position = position;
        return true;
    }
    if (position == last.position) {
        last.other.append(removed);
        return true;
    }
    return false;
}

void TextHistory::dropRedo()
{
    for (size_t i = current_; i < steps_.size(); ++i)
        keptBytes_ -= bytesOf(steps_[i]);
    steps_.erase(steps_.begin() + qsizetype(current_), steps_.end());
}

qint64 TextHistory::bytesOf(const Step &step) const
{
    qint64 total = 0;
    for (const Edit &edit : step.edits)
        total += edit.other.bytes();
    return total;
}

void TextHistory::trim(size_t keep)
{
    const qint64 bound = std::max(limit_, 4 * model_.bytes());
    while (keptBytes_ > bound && steps_.size() > 1) {
        if (current_ > 0 && keep > 0) {
            keptBytes_ -= bytesOf(steps_.front());
            steps_.pop_front();
            --current_;
            --keep;
        } else if (steps_.size() - 1 > keep && steps_.size() - 1 >= current_) {
            keptBytes_ -= bytesOf(steps_.back());
            steps_.pop_back();
        } else {
            break;
        }
    }
}
