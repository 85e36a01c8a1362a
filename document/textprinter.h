#pragma once

#include <QFont>

#include <QTextOption>

class LineIterator;
class QPrinter;
class TextModel;

/// Lays plain text out on the pages of a printer and prints it as one job,
/// reading it a line at a time and a long line a segment at a time, so that
/// its memory does not grow with the text: every line break (CR LF, lone
/// CR, lone LF) starts a new line on paper, lines longer than the page are
/// wrapped at its margin, and pages follow one another as needed. No
/// header, footer or page number.
class TextPrinter
{
public:
    /// The most characters of a line laid out at once.
    static constexpr qint64 SegmentLength = 4096;

    explicit TextPrinter(const QFont &font = defaultFont());

    /// A monospace font at a size that reads well on paper.
    static QFont defaultFont();

    /// Prints the text on the printer as one job, with the printer's own page
    /// size and margins. An empty text still makes a job of one blank page.
    /// Returns false when the job could not be started or the printer
    /// reported an error.
    bool print(const TextModel &text, QPrinter &printer) const;

private:
    class PageFlow;
    /// What every line of one job is laid out and placed with.
    struct Page
    {
        QPrinter &printer;
        QFont font;
        QTextOption option;
        qreal width;
        PageFlow &flow;
    };
    /// Lays a line out on the page's width and places its rows; false when
    /// a new page could not begin.
    static bool printLine(const TextModel &text, const LineIterator &line, const Page &page);

    QFont font_;
};
