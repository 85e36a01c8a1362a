#pragma once

#include <cstdint>
#include <random>
#include <vector>

/// The kinds of line break a text can hold. Each one is a single block
/// break in the text widget but a different character sequence in the text.
enum class LineBreak : std::uint8_t {
    CrLf, ///< CR LF, the program's own line end
    Lf,   ///< a lone LF
    Cr,   ///< a lone CR
    Paragraph ///< U+2029 PARAGRAPH SEPARATOR
};

/// The line break in front of every block of a text view, in order, with
/// the count of CR LF breaks before any block in O(log n).
///
/// Block 0 has no break in front of it; its entry is ignored. The index is
/// an implicit treap: whole runs of blocks are replaced in
/// O((removed + inserted) log n), as the view's edits require.
class LineBreakIndex
{
public:
    LineBreakIndex();

    /// Replaces everything with these breaks (entry 0 is block 0's).
    void assign(const std::vector<LineBreak> &breaks);
    /// Replaces removeCount blocks starting at first with the given breaks.
    void replace(int first, int removeCount, const std::vector<LineBreak> &breaks);

    int blockCount() const;
    LineBreak breakBefore(int block) const;
    /// Number of CR LF breaks in front of blocks 1..block, that is the extra
    /// characters the text has before block's start beyond the view's count.
    long long crLfBefore(int block) const;

private:
    struct Node
    {
        int left = -1;
        int right = -1;
        int size = 1;
        int crLfCount = 0; ///< CR LF entries in this subtree
        std::uint32_t priority = 0;
        LineBreak kind = LineBreak::CrLf;
    };

    int size(int node) const { return node < 0 ? 0 : nodes_[node].size; }
    int crLf(int node) const { return node < 0 ? 0 : nodes_[node].crLfCount; }
    void update(int node);
    int newNode(LineBreak kind);
    void freeTree(int node);
    int build(const std::vector<LineBreak> &breaks);
    void split(int node, int count, int &left, int &right);
    int merge(int left, int right);
    long long crLfPrefix(int count) const;

    std::vector<Node> nodes_;
    std::vector<int> free_;
    int root_ = -1;
    std::minstd_rand random_;
};
