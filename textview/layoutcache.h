#pragma once

#include "laidouttext.h"

#include <list>
#include <memory>
#include <unordered_map>

/// Laid-out lines and segments of lines, found by the range of text they
/// show, held up to a number of characters: past it, the least recently
/// used go first, so the memory they take stays bounded whatever the lines.
///
/// An edit keeps what it did not touch: the layouts of text before it as
/// they are, those of text after it moved along with their text.
class LayoutCache
{
public:
    explicit LayoutCache(qint64 maximumCharacters) : maximum_(maximumCharacters) {}

    /// The layout of [start, end) laid out with placement, if held.
    const LaidOutText *find(qint64 start, qint64 end, const LaidOutText::Placement &placement);
    const LaidOutText *insert(qint64 start, qint64 end, const LaidOutText::Placement &placement,
                              std::unique_ptr<LaidOutText> text);
    /// Follows the replacement of [position, position + removed) by added characters.
    void edit(qint64 position, qint64 removed, qint64 added);
    void clear();

    /// The characters the layouts held hold, with a little for each.
    qint64 characters() const { return characters_; }

private:
    struct Entry
    {
        qint64 start = 0;
        qint64 end = 0;
        LaidOutText::Placement placement;
        std::unique_ptr<LaidOutText> text;
    };
    using Entries = std::list<Entry>; ///< the most recently used first

    static qint64 cost(const Entry &entry);
    void erase(Entries::iterator entry);

    const qint64 maximum_;
    qint64 characters_ = 0;
    Entries entries_;
    std::unordered_map<qint64, Entries::iterator> byStart_;
};
