#include "chunktree.h"

struct ChunkTree::Node
{
    explicit Node(Chunk &&c, quint32 p) : chunk(std::move(c)), priority(p) {}

    Chunk chunk;
    Node *left = nullptr;
    Node *right = nullptr;
    quint32 priority;
    qsizetype count = 1;
    LineSummary total;
};

namespace {

qsizetype countOf(const auto *node)
{
    return node ? node->count : 0;
}

LineSummary totalOf(const auto *node)
{
    return node ? node->total : LineSummary();
}

} // namespace

ChunkTree::~ChunkTree()
{
    destroy(root_);
}

void ChunkTree::destroy(Node *node)
{
    // Iterative: a tree built badly by chance must still be freed.
    std::vector<Node *> pending;
    if (node)
        pending.push_back(node);
    while (!pending.empty()) {
        Node *next = pending.back();
        pending.pop_back();
        if (next->left)
            pending.push_back(next->left);
        if (next->right)
            pending.push_back(next->right);
        delete next;
    }
}

ChunkTree::Node *ChunkTree::makeNode(Chunk chunk)
{
    // xorshift32: fast, and enough to keep the tree balanced.
    randomState_ ^= randomState_ << 13;
    randomState_ ^= randomState_ >> 17;
    randomState_ ^= randomState_ << 5;
    return new Node(std::move(chunk), randomState_);
}

void ChunkTree::update(Node *node)
{
    node->count = 1 + countOf(node->left) + countOf(node->right);
    node->total =
        totalOf(node->left).followedBy(node->chunk.summary()).followedBy(totalOf(node->right));
}

ChunkTree::Node *ChunkTree::merge(Node *left, Node *right)
{
    if (!left)
        return right;
    if (!right)
        return left;
    if (left->priority >= right->priority) {
        left->right = merge(left->right, right);
        update(left);
        return left;
    }
    right->left = merge(left, right->left);
    update(right);
    return right;
}

std::pair<ChunkTree::Node *, ChunkTree::Node *> ChunkTree::split(Node *node, qsizetype count)
{
    if (!node)
        return {nullptr, nullptr};
    const qsizetype leftCount = countOf(node->left);
    if (count <= leftCount) {
        auto [first, rest] = split(node->left, count);
        node->left = rest;
        update(node);
        return {first, node};
    }
    auto [first, rest] = split(node->right, count - leftCount - 1);
    node->right = first;
    update(node);
    return {node, rest};
}

qsizetype ChunkTree::chunkCount() const
{
    return countOf(root_);
}

LineSummary ChunkTree::summary() const
{
    return totalOf(root_);
}

ChunkTree::Node *ChunkTree::nodeAt(qsizetype index) const
{
    Node *node = root_;
    while (node) {
        const qsizetype leftCount = countOf(node->left);
        if (index < leftCount) {
            node = node->left;
        } else if (index == leftCount) {
            return node;
        } else {
            index -= leftCount + 1;
            node = node->right;
        }
    }
    return nullptr;
}

const Chunk &ChunkTree::chunk(qsizetype index) const
{
    return nodeAt(index)->chunk;
}

Chunk &ChunkTree::chunk(qsizetype index)
{
    return nodeAt(index)->chunk;
}

bool ChunkTree::refreshPath(Node *node, qsizetype index)
{
    if (!node)
        return false;
    const qsizetype leftCount = countOf(node->left);
    if (index < leftCount)
        refreshPath(node->left, index);
    else if (index == leftCount)
        node->chunk.refresh();
    else
        refreshPath(node->right, index - leftCount - 1);
    update(node);
    return true;
}

void ChunkTree::refresh(qsizetype index)
{
    refreshPath(root_, index);
}

qint64 ChunkTree::startOf(qsizetype index) const
{
    qint64 start = 0;
    const Node *node = root_;
    while (node) {
        const qsizetype leftCount = countOf(node->left);
        if (index < leftCount) {
            node = node->left;
            continue;
        }
        start += totalOf(node->left).length;
        if (index == leftCount)
            return start;
        start += node->chunk.size();
        index -= leftCount + 1;
        node = node->right;
    }
    return start;
}

// Walks down to the chunk in which key falls, counting in the amount that
// amountOf reads from a summary (characters, or line breaks).
template <typename AmountOf>
ChunkTree::Location ChunkTree::descend(qint64 key, AmountOf amountOf) const
{
    Location location;
    const Node *node = root_;
    while (node) {
        const LineSummary left = totalOf(node->left);
        if (key < amountOf(left)) {
            node = node->left;
            continue;
        }
        key -= amountOf(left);
        location.index += countOf(node->left);
        location.start += left.length;
        location.breaksBefore += left.breaks;
        const LineSummary &own = node->chunk.summary();
        if (key < amountOf(own) || !node->right) {
            location.chunk = &node->chunk;
            return location;
        }
        key -= amountOf(own);
        location.index += 1;
        location.start += own.length;
        location.breaksBefore += own.breaks;
        node = node->right;
    }
    return location;
}

ChunkTree::Location ChunkTree::locate(qint64 position) const
{
    return descend(position, [](const LineSummary &summary) { return summary.length; });
}

ChunkTree::Location ChunkTree::locateBreak(qint64 n) const
{
    // The n-th break ends in the chunk where n - 1 breaks come before it.
    return descend(n - 1, [](const LineSummary &summary) { return summary.breaks; });
}

// The chunks become a tree of their own in one pass (each new node takes as
// its left child the nodes of the right edge that it outranks, and each
// node is summed up once its subtree is whole), which is then merged in.
ChunkTree::Node *ChunkTree::build(std::vector<Chunk> &chunks)
{
    std::vector<Node *> rightEdge;
    for (Chunk &chunk : chunks) {
        Node *node = makeNode(std::move(chunk));
        Node *outranked = nullptr;
        while (!rightEdge.empty() && rightEdge.back()->priority < node->priority) {
            outranked = rightEdge.back();
            rightEdge.pop_back();
            update(outranked);
        }
        node->left = outranked;
        if (!rightEdge.empty())
            rightEdge.back()->right = node;
        rightEdge.push_back(node);
    }
    while (rightEdge.size() > 1) {
        update(rightEdge.back());
        rightEdge.pop_back();
    }
    if (rightEdge.empty())
        return nullptr;
    update(rightEdge.front());
    return rightEdge.front();
}

void ChunkTree::insert(qsizetype index, std::vector<Chunk> chunks)
{
    Node *inserted = build(chunks);
    auto [before, after] = split(root_, index);
    root_ = merge(merge(before, inserted), after);
}

void ChunkTree::remove(qsizetype index, qsizetype count)
{
    auto [before, rest] = split(root_, index);
    auto [removed, after] = split(rest, count);
    destroy(removed);
    root_ = merge(before, after);
}

std::vector<Chunk> ChunkTree::take(qsizetype index, qsizetype count)
{
    auto [before, rest] = split(root_, index);
    auto [taken, after] = split(rest, count);
    root_ = merge(before, after);
    std::vector<Chunk> chunks;
    chunks.reserve(size_t(countOf(taken)));
    // In order, without recursion: the leftmost path goes on a stack.
    std::vector<Node *> path;
    Node *node = taken;
    while (node || !path.empty()) {
        for (; node; node = node->left)
            path.push_back(node);
        Node *next = path.back();
        path.pop_back();
        chunks.push_back(std::move(next->chunk));
        node = next->right;
        delete next;
    }
    return chunks;
}

void ChunkTree::clear()
{
    destroy(root_);
    root_ = nullptr;
}

bool ChunkTree::visitNode(const Node *node, qint64 nodeStart, qint64 from, qint64 to,
                          const std::function<bool(const Chunk &, qint64)> &visit)
{
    if (!node)
        return true;
    const qint64 chunkStart = nodeStart + totalOf(node->left).length;
    const qint64 chunkEnd = chunkStart + node->chunk.size();
    if (from < chunkStart && !visitNode(node->left, nodeStart, from, to, visit))
        return false;
    if (from < chunkEnd && to > chunkStart && !visit(node->chunk, chunkStart))
        return false;
    if (to > chunkEnd)
        return visitNode(node->right, chunkEnd, from, to, visit);
    return true;
}

void ChunkTree::visit(qint64 from, qint64 to,
                      const std::function<bool(const Chunk &, qint64 start)> &visit) const
{
    visitNode(root_, 0, from, to, visit);
}
