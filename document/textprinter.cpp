#include "textprinter.h"

#include "text/lineiterator.h"
#include "text/textmodel.h"
#include "text/textnavigation.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QPainter>
#include <QPrinter>
#include <QTextLayout>

namespace {

constexpr qreal PointSize = 10;
constexpr int TabWidthInSpaces = 8;

} // namespace

// Rows placed one under another, a new page begun when the next does not
// fit.
class TextPrinter::PageFlow
{
public:
    PageFlow(QPrinter &printer, QPainter &painter, qreal pageHeight)
        : printer_(printer), painter_(painter), pageHeight_(pageHeight)
    {
    }

    // Draws the row under the last; false when a new page could not begin.
    bool place(const QTextLine &row)
    {
        // A row taller than a whole page is drawn at the top of its own page.
        if (y_ > 0 && y_ + row.height() > pageHeight_) {
            if (!printer_.newPage())
                return false;
            y_ = 0;
        }
        row.draw(&painter_, QPointF(0, y_ - row.y()));
        y_ += row.height();
        return true;
    }

private:
    QPrinter &printer_;
    QPainter &painter_;
    const qreal pageHeight_;
    qreal y_ = 0;
};

namespace {

// Where a piece of a line that starts at from is cut when the line goes on
// past from + TextPrinter::SegmentLength: at a character's start.
qint64 segmentEnd(const TextModel &text, qint64 from, qint64 lineEnd)
{
    const qint64 end = from + TextPrinter::SegmentLength;
    if (end >= lineEnd)
        return lineEnd;
    const qint64 snapped = TextNavigation::snapped(text, end);
    return snapped > from ? snapped : end;
}

} // namespace

TextPrinter::TextPrinter(const QFont &font) : font_(font) {}

QFont TextPrinter::defaultFont()
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setStyleHint(QFont::Monospace);
    font.setPointSizeF(PointSize);
    return font;
}

// A line is laid out a segment at a time. All the rows of a segment but its
// last are final; the last may go on in the text after the segment, so the
// next segment starts with it. A row that fills a segment alone is drawn as
// it is.
bool TextPrinter::printLine(const TextModel &text, const LineIterator &line, const Page &page)
{
    qint64 from = line.bounds().start;
    const qint64 to = line.bounds().end;
    do {
        const qint64 cut = segmentEnd(text, from, to);
        const bool whole = from == line.bounds().start && cut == to;
        QTextLayout layout(whole ? line.text() : text.text(from, cut), page.font, &page.printer);
        layout.setTextOption(page.option);
        layout.setCacheEnabled(true);
        layout.beginLayout();
        for (QTextLine row = layout.createLine(); row.isValid(); row = layout.createLine())
            row.setLineWidth(page.width);
        layout.endLayout();
        const int rows = layout.lineCount();
        const int final = cut == to || rows == 1 ? rows : rows - 1;
        for (int i = 0; i < final; ++i) {
            if (!page.flow.place(layout.lineAt(i)))
                return false;
        }
        from = final < rows ? from + layout.lineAt(final).textStart() : cut;
    } while (from < to);
    return true;
}

bool TextPrinter::print(const TextModel &text, QPrinter &printer) const
{
    QPainter painter;
    if (!painter.begin(&printer))
        return false;

    // The painter's origin is the top left corner of the printable area.
    const QSizeF area = printer.pageLayout().paintRectPixels(printer.resolution()).size();
    PageFlow flow(printer, painter, area.height());
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    // The layout scales tab stops by the printer's resolution itself, so they
    // are given at the toolkit's default resolution.
    option.setTabStopDistance(TabWidthInSpaces * QFontMetricsF(font_).horizontalAdvance(u' '));
    const Page page{printer, QFont(font_, &printer), option, area.width(), flow};

    bool ok = true;
    // A line break at the very end of the text starts no empty line on paper.
    for (LineIterator line(text); ok && !line.atEnd() && line.bounds().start < text.length();
         line.next())
        ok = printLine(text, line, page);

    if (!painter.end())
        ok = false;
    return ok && printer.printerState() != QPrinter::Error;
}
