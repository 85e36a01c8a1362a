#pragma once

#include "linesummary.h"
#include "textspan.h"

#include <QStringView>

#include <vector>

/// A run of the text, a few thousand characters long: the leaf of the tree.
///
/// While every character of the run is below U+0100 it is kept one byte a
/// character, which halves the memory of most files; the first character
/// from U+0100 up widens the run to UTF-16, and a run that loses its last
/// such character goes back to bytes. Either way the characters are kept
/// exactly as they are, line breaks included.
///
/// The summary (length, breaks, line lengths) is recounted by refresh()
/// after the characters change.
class Chunk
{
public:
    qsizetype size() const { return wide_ ? qsizetype(utf16_.size()) : qsizetype(latin1_.size()); }
    bool isEmpty() const { return size() == 0; }
    bool isWide() const { return wide_; }
    char16_t at(qsizetype i) const { return wide_ ? utf16_[i] : char16_t(uchar(latin1_[i])); }
    char16_t front() const { return at(0); }
    char16_t back() const { return at(size() - 1); }

    TextSpan span() const { return span(0, size()); }
    TextSpan span(qsizetype from, qsizetype to) const;

    void reserve(qsizetype size);
    /// Gives back room that the characters do not take.
    void shrink();
    void append(QStringView text);
    void appendLatin1(const char *text, qsizetype size);
    void insert(qsizetype at, QStringView text);
    void remove(qsizetype from, qsizetype to);
    /// Removes the last character and returns it.
    char16_t takeBack();

    const LineSummary &summary() const { return summary_; }
    /// Recounts the summary after the characters changed.
    void refresh();

    /// The offset right after the n-th line break of the chunk (1 <= n <= breaks).
    qsizetype breakEnd(qsizetype n) const;
    /// How many line breaks end at or before offset.
    qsizetype breaksBefore(qsizetype offset) const;

private:
    void widen();
    /// Makes room for count more characters, growing by an eighth at least.
    void grow(qsizetype count);

    std::vector<char> latin1_;
    std::vector<char16_t> utf16_;
    bool wide_ = false;
    LineSummary summary_;
};
