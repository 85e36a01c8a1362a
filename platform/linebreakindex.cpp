#include "linebreakindex.h"

LineBreakIndex::LineBreakIndex() : random_(0x5eed) { assign({LineBreak::CrLf}); }

void LineBreakIndex::update(int node)
{
    Node &n = nodes_[node];
    n.size = 1 + size(n.left) + size(n.right);
    n.crLfCount = (n.kind == LineBreak::CrLf ? 1 : 0) + crLf(n.left) + crLf(n.right);
}

int LineBreakIndex::newNode(LineBreak kind)
{
    Node n;
    n.kind = kind;
    n.priority = static_cast<std::uint32_t>(random_());
    n.crLfCount = kind == LineBreak::CrLf ? 1 : 0;
    if (!free_.empty()) {
        const int index = free_.back();
        free_.pop_back();
        nodes_[index] = n;
        return index;
    }
    nodes_.push_back(n);
    return static_cast<int>(nodes_.size()) - 1;
}

void LineBreakIndex::freeTree(int node)
{
    std::vector<int> stack;
    if (node >= 0)
        stack.push_back(node);
    while (!stack.empty()) {
        const int n = stack.back();
        stack.pop_back();
        if (nodes_[n].left >= 0)
            stack.push_back(nodes_[n].left);
        if (nodes_[n].right >= 0)
            stack.push_back(nodes_[n].right);
        free_.push_back(n);
    }
}

// Builds a treap from a run in linear time: the stack construction of a
// Cartesian tree over random priorities, so no recursion on long runs.
int LineBreakIndex::build(const std::vector<LineBreak> &breaks)
{
    std::vector<int> spine;
    for (std::size_t i = 0; i < breaks.size(); ++i) {
        const int node = newNode(breaks[i]);
        int last = -1;
        while (!spine.empty() && nodes_[spine.back()].priority < nodes_[node].priority) {
            last = spine.back();
            spine.pop_back();
            update(last);
        }
        nodes_[node].left = last;
        if (!spine.empty())
            nodes_[spine.back()].right = node;
        spine.push_back(node);
    }
    for (auto it = spine.rbegin(); it != spine.rend(); ++it)
        update(*it);
    return spine.empty() ? -1 : spine.front();
}

void LineBreakIndex::split(int node, int count, int &left, int &right)
{
    // Iterative split: walk down once, hanging subtrees on the two sides.
    int leftTail = -1, rightTail = -1;
    left = right = -1;
    std::vector<int> touched;
    while (node >= 0) {
        touched.push_back(node);
        if (size(nodes_[node].left) < count) {
            count -= size(nodes_[node].left) + 1;
            if (leftTail < 0)
                left = node;
            else
                nodes_[leftTail].right = node;
            leftTail = node;
            node = nodes_[node].right;
        } else {
            if (rightTail < 0)
                right = node;
            else
                nodes_[rightTail].left = node;
            rightTail = node;
            node = nodes_[node].left;
        }
    }
    if (leftTail >= 0)
        nodes_[leftTail].right = -1;
    if (rightTail >= 0)
        nodes_[rightTail].left = -1;
    for (auto it = touched.rbegin(); it != touched.rend(); ++it)
        update(*it);
}

int LineBreakIndex::merge(int left, int right)
{
    if (left < 0)
        return right;
    if (right < 0)
        return left;
    // Iterative merge along the right spine of left and the left spine of right.
    std::vector<int> path;
    int root = -1;
    int *link = &root;
    while (left >= 0 && right >= 0) {
        if (nodes_[left].priority > nodes_[right].priority) {
            *link = left;
            path.push_back(left);
            link = &nodes_[left].right;
            left = nodes_[left].right;
        } else {
            *link = right;
            path.push_back(right);
            link = &nodes_[right].left;
            right = nodes_[right].left;
        }
    }
    *link = left >= 0 ? left : right;
    for (auto it = path.rbegin(); it != path.rend(); ++it)
        update(*it);
    return root;
}

void LineBreakIndex::assign(const std::vector<LineBreak> &breaks)
{
    nodes_.clear();
    free_.clear();
    root_ = build(breaks.empty() ? std::vector<LineBreak>{LineBreak::CrLf} : breaks);
}

void LineBreakIndex::replace(int first, int removeCount, const std::vector<LineBreak> &breaks)
{
    int before, rest, removed, after;
    split(root_, first, before, rest);
    split(rest, removeCount, removed, after);
    freeTree(removed);
    root_ = merge(merge(before, build(breaks)), after);
}

int LineBreakIndex::blockCount() const { return size(root_); }

LineBreak LineBreakIndex::breakBefore(int block) const
{
    int node = root_;
    while (node >= 0) {
        const int leftSize = size(nodes_[node].left);
        if (block < leftSize)
            node = nodes_[node].left;
        else if (block == leftSize)
            return nodes_[node].kind;
        else {
            block -= leftSize + 1;
            node = nodes_[node].right;
        }
    }
    return LineBreak::CrLf;
}

long long LineBreakIndex::crLfPrefix(int count) const
{
    long long total = 0;
    int node = root_;
    while (node >= 0 && count > 0) {
        const Node &n = nodes_[node];
        const int leftSize = size(n.left);
        if (count <= leftSize) {
            node = n.left;
        } else {
            total += crLf(n.left) + (n.kind == LineBreak::CrLf ? 1 : 0);
            count -= leftSize + 1;
            node = n.right;
        }
    }
    return total;
}

long long LineBreakIndex::crLfBefore(int block) const
{
    // Block 0 has no break in front of it, whatever its entry says.
    if (block <= 0 || root_ < 0)
        return 0;
    return crLfPrefix(block + 1) - (breakBefore(0) == LineBreak::CrLf ? 1 : 0);
}
