#pragma once

#include "detachedtext.h"
#include "linebreak.h"

#include <QElapsedTimer>
#include <QStringView>

#include <deque>
#include <functional>
#include <optional>
#include <vector>

class TextModel;

/// The undo and redo history of a model's text.
///
/// The model records every edit here as it makes it: where it was, what it
/// removed and how much it inserted. Text appended while a file loads is not
/// an edit and is not recorded. An edit and its undo are the same operation,
/// an exchange: the characters now in the text at the edit's place go aside
/// and the kept ones come back, so redo is undo run again. Large removals are
/// kept as the chunks that held them, so undoing the removal of the whole
/// text costs what removing it did.
///
/// Edits are grouped into steps as a person thinks of them. An editor opens
/// a step with beginStep, saying what kind of edit comes and where the
/// selection was, and closes it with endStep; every edit in between belongs
/// to it, however many. A run of typing, of Backspace or of Delete continues
/// the last step while nothing else happened in between: no move (see
/// breakRun), no selection, no pause of a second, and, for typing, no new
/// word started after a word boundary (see WordCharacters). An edit made
/// outside any step is a step of its own; an editor opens one for every
/// edit, so that undo knows the selection from before it. A step that
/// changed what Enter inserts (a conversion of the line ends) gives back
/// the line break from before it on undo, and the one after it on redo.
///
/// The removed text kept is bounded in bytes (setLimit, or four times the
/// bytes the text takes if that is more, whatever its width); beyond it the
/// oldest steps go. The newest step stays even
/// when it alone is larger than the bound.
class TextHistory
{
public:
    struct Selection
    {
        qint64 anchor = 0;
        qint64 position = 0;
        bool operator==(const Selection &) const = default;
    };
    enum class Kind { Typing, DeletingBackward, DeletingForward, Other };

    static constexpr qint64 DefaultLimit = qint64(256) << 20;
    static constexpr qint64 PauseMilliseconds = 1000;

    explicit TextHistory(TextModel &model);

    bool canUndo() const { return current_ > 0; }
    bool canRedo() const { return current_ < steps_.size(); }
    /// Undoes the last step; gives the selection from before it.
    std::optional<Selection> undo();
    /// Makes the last undone step again; gives the selection from after it.
    std::optional<Selection> redo();
    /// Forgets every step, as when a new text is put in.
    void clear();

    /// Opens a step; typed is the text a Typing step types. Steps nest: only
    /// the outermost counts.
    void beginStep(Kind kind, Selection before, QStringView typed = {});
    void endStep(Selection after);
    /// The caret moved: the next edit starts a step of its own.
    void breakRun();

    /// The removed text kept at most, in bytes.
    void setLimit(qint64 bytes) { limit_ = bytes; }
    qint64 keptBytes() const { return keptBytes_; }
    qsizetype undoCount() const { return qsizetype(current_); }
    /// Where the pause between edits is read from: milliseconds of a
    /// monotonic clock (a real one unless a test gives its own).
    void setClock(std::function<qint64()> milliseconds) { clock_ = std::move(milliseconds); }

private:
    friend class TextModel;

    /// At position, length characters are in the text; other is what the
    /// text had there before (or, once undone, after).
    struct Edit
    {
        qint64 position = 0;
        qint64 length = 0;
        DetachedText other;
    };
    struct Step
    {
        std::vector<Edit> edits;
        Selection before;
        Selection after;
        Kind kind = Kind::Other;
        LineBreak breakBefore = LineBreak::CrLf;
        LineBreak breakAfter = LineBreak::CrLf;
    };

    /// Called by the model for every edit it makes.
    void record(qint64 position, DetachedText removed, qint64 added);
    bool joins(Kind kind, Selection before, QStringView typed) const;
    static bool joinEdit(Edit &last, qint64 position, DetachedText &removed, qint64 added);
    void exchange(Edit &edit);
    void dropRedo();
    /// Drops the oldest steps (then the farthest redo steps) while more
    /// text is kept than the bound; the step at keep stays.
    void trim(size_t keep);
    qint64 bytesOf(const Step &step) const;
    qint64 now() const { return clock_ ? clock_() : timer_.elapsed(); }

    TextModel &model_;
    std::deque<Step> steps_;
    size_t current_ = 0; ///< steps before it are undone by undo, from it redone
    qint64 keptBytes_ = 0;
    qint64 limit_ = DefaultLimit;

    // The step being made.
    int depth_ = 0;
    bool joining_ = false; ///< it continues the last step
    bool started_ = false; ///< it has its first edit, on top of the steps
    Kind openKind_ = Kind::Other;
    Selection openBefore_;
    LineBreak openBreak_ = LineBreak::CrLf;
    bool typedBoundary_ = false;

    // What the next step may join.
    bool runOpen_ = false;
    bool lastTypedBoundary_ = false;
    qint64 lastEditTime_ = 0;

    std::function<qint64()> clock_;
    QElapsedTimer timer_;
};
