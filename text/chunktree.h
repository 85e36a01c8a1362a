#pragma once

#include "chunk.h"

#include <functional>
#include <vector>

/// The chunks of the text in order, in a balanced tree whose every node
/// carries the summary of its subtree: finding the chunk of a position or of
/// a line break, and inserting or removing chunks, take O(log n).
///
/// The tree is a treap: each node has a random priority and parents outrank
/// their children, which keeps it balanced whatever the order of the edits.
/// Splitting it at a chunk index and merging two trees are the only
/// restructuring steps, and every edit is made of those two.
class ChunkTree
{
public:
    /// Where a chunk stands in the text.
    struct Location
    {
        qsizetype index = 0;
        qint64 start = 0;        ///< position of its first character
        qint64 breaksBefore = 0; ///< line breaks in the chunks before it
        const Chunk *chunk = nullptr;
    };

    ChunkTree() = default;
    ~ChunkTree();
    ChunkTree(const ChunkTree &) = delete;
    ChunkTree &operator=(const ChunkTree &) = delete;

    qsizetype chunkCount() const;
    /// The summary of the whole text.
    LineSummary summary() const;

    const Chunk &chunk(qsizetype index) const;
    /// A chunk to change in place; call refresh(index) after changing it.
    Chunk &chunk(qsizetype index);
    /// Recounts the chunk's summary and those of the nodes above it.
    void refresh(qsizetype index);

    /// Where the chunk at index starts in the text.
    qint64 startOf(qsizetype index) const;
    /// The chunk holding the character at position, or the last chunk when
    /// position is the end of the text. There must be a chunk.
    Location locate(qint64 position) const;
    /// The chunk in which the n-th line break ends (1 <= n <= breaks).
    Location locateBreak(qint64 n) const;

    /// Inserts chunks before the chunk at index (at the end for chunkCount()).
    void insert(qsizetype index, std::vector<Chunk> chunks);
    void remove(qsizetype index, qsizetype count);
    /// Removes count chunks from index and gives them back in order, moved
    /// out of the tree: their characters are not copied.
    std::vector<Chunk> take(qsizetype index, qsizetype count);
    void clear();

    /// Calls visit for every chunk that holds characters of [from, to), in
    /// order, with the chunk's start; stops when visit returns false.
    void visit(qint64 from, qint64 to,
               const std::function<bool(const Chunk &, qint64 start)> &visit) const;

private:
    struct Node;
    /// A node not yet summed up (update()).
    Node *makeNode(Chunk chunk);
    /// A tree of the chunks, in order.
    Node *build(std::vector<Chunk> &chunks);
    static void update(Node *node);
    static Node *merge(Node *left, Node *right);
    /// Splits node into its first count chunks and the rest.
    static std::pair<Node *, Node *> split(Node *node, qsizetype count);
    static void destroy(Node *node);
    Node *nodeAt(qsizetype index) const;
    template <typename AmountOf> Location descend(qint64 key, AmountOf amountOf) const;
    static bool refreshPath(Node *node, qsizetype index);
    static bool visitNode(const Node *node, qint64 nodeStart, qint64 from, qint64 to,
                          const std::function<bool(const Chunk &, qint64)> &visit);

    Node *root_ = nullptr;
    quint32 randomState_ = 0x9E3779B9u;
};
