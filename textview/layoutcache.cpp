#include "layoutcache.h"

namespace {

// What a layout costs beyond its characters, counted in characters, so
// that many empty lines are bounded too.
constexpr qint64 CostOfOne = 32;

} // namespace

qint64 LayoutCache::cost(const Entry &entry)
{
    return entry.end - entry.start + CostOfOne;
}

const LaidOutText *LayoutCache::find(qint64 start, qint64 end,
                                     const LaidOutText::Placement &placement)
{
    const auto found = byStart_.find(start);
    if (found == byStart_.end())
        return nullptr;
    const Entries::iterator entry = found->second;
    if (entry->end != end || entry->placement.tabPhase != placement.tabPhase ||
        entry->placement.direction != placement.direction)
        return nullptr;
    entries_.splice(entries_.begin(), entries_, entry);
    return entry->text.get();
}

const LaidOutText *LayoutCache::insert(qint64 start, qint64 end,
                                       const LaidOutText::Placement &placement,
                                       std::unique_ptr<LaidOutText> text)
{
    if (const auto found = byStart_.find(start); found != byStart_.end())
        erase(found->second);
    entries_.push_front({start, end, placement, std::move(text)});
    byStart_[start] = entries_.begin();
    characters_ += cost(entries_.front());
    while (characters_ > maximum_ && entries_.size() > 1)
        erase(std::prev(entries_.end()));
    return entries_.front().text.get();
}

void LayoutCache::erase(Entries::iterator entry)
{
    characters_ -= cost(*entry);
    byStart_.erase(entry->start);
    entries_.erase(entry);
}

void LayoutCache::edit(qint64 position, qint64 removed, qint64 added)
{
    const qint64 delta = added - removed;
    bool moved = false;
    for (auto entry = entries_.begin(); entry != entries_.end();) {
        if (entry->end <= position) {
            ++entry;
        } else if (entry->start >= position + removed) {
            entry->start += delta;
            entry->end += delta;
            moved = moved || delta != 0;
            ++entry;
        } else {
            characters_ -= cost(*entry);
            byStart_.erase(entry->start);
            entry = entries_.erase(entry);
        }
    }
    if (!moved)
        return;
    // An empty line moved onto the place of another keeps only the more
    // recently used of the two.
    byStart_.clear();
    for (auto entry = entries_.begin(); entry != entries_.end();) {
        if (byStart_.try_emplace(entry->start, entry).second) {
            ++entry;
        } else {
            characters_ -= cost(*entry);
            entry = entries_.erase(entry);
        }
    }
}

void LayoutCache::clear()
{
    entries_.clear();
    byStart_.clear();
    characters_ = 0;
}
