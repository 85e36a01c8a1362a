#pragma once

#include <QtGlobal>

#include <array>

class TextModel;

/// Whether a place in a model's text lies between two characters as a
/// reader sees them (grapheme clusters), for a caller that asks at many
/// places: a search asks at both ends of every match it considers.
///
/// The answer is the one TextBoundaries::isBoundary gives. Nearly every
/// place is decided by the two code points on either side of it alone; that
/// answer is worked out once for each pair met and remembered. The two
/// rules that look further back (a pictograph joined to one before it by
/// U+200D, and pairs of regional indicators making flags) are answered from
/// the line around the place.
class ClusterEdges
{
public:
    /// The model must not change while this is used.
    explicit ClusterEdges(const TextModel &model) : model_(model) {}

    /// Whether position, between the code points before and after (0 at
    /// either end of the text), is such a place. The caller has made sure
    /// that position does not cut a surrogate pair.
    bool isEdge(qint64 position, char32_t before, char32_t after) const;

private:
    static bool pairIsEdge(char32_t before, char32_t after);

    struct Remembered
    {
        char32_t before = 0;
        char32_t after = 0;
        bool edge = true;
    };
    const TextModel &model_;
    /// Pairs decided lately, by a hash of the pair; a pair of NUL, the
    /// first state, is an edge indeed.
    mutable std::array<Remembered, 256> remembered_{};
};
