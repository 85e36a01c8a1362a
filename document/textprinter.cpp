#include "textprinter.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QPainter>
#include <QPrinter>
#include <QTextLayout>

namespace {

constexpr qreal PointSize = 10;
constexpr int TabWidthInSpaces = 8;

// Calls lineFound for every line of the text. CR LF, lone CR, lone LF and the
// paragraph separator end a line; a line break at the very end of the text
// does not start another, empty line.
template <typename LineFound> void forEachLine(QStringView text, LineFound lineFound)
{
    const qsizetype n = text.size();
    qsizetype start = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        if (c != u'\r' && c != u'\n' && c != QChar::ParagraphSeparator)
            continue;
        if (!lineFound(text.mid(start, i - start)))
            return;
        if (c == u'\r' && i + 1 < n && text[i + 1] == u'\n')
            ++i;
        start = i + 1;
    }
    if (start < n)
        lineFound(text.mid(start));
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

bool TextPrinter::print(QStringView text, QPrinter &printer) const
{
    QPainter painter;
    if (!painter.begin(&printer))
        return false;

    // The painter's origin is the top left corner of the printable area.
    const QSizeF page = printer.pageLayout().paintRectPixels(printer.resolution()).size();
    const QFont font(font_, &printer);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    // The layout scales tab stops by the printer's resolution itself, so they
    // are given at the toolkit's default resolution.
    option.setTabStopDistance(TabWidthInSpaces * QFontMetricsF(font_).horizontalAdvance(u' '));

    bool ok = true;
    qreal y = 0;
    forEachLine(text, [&](QStringView line) {
        QTextLayout layout(line.toString(), font, &printer);
        layout.setTextOption(option);
        layout.setCacheEnabled(true);
        layout.beginLayout();
        for (QTextLine row = layout.createLine(); row.isValid(); row = layout.createLine())
            row.setLineWidth(page.width());
        layout.endLayout();

        for (int i = 0; i < layout.lineCount(); ++i) {
            const QTextLine row = layout.lineAt(i);
            // A row that does not fit goes to the next page; a row taller
            // than a whole page is drawn at the top of its own page.
            if (y > 0 && y + row.height() > page.height()) {
                if (!printer.newPage()) {
                    ok = false;
                    return false;
                }
                y = 0;
            }
            row.draw(&painter, QPointF(0, y - row.y()));
            y += row.height();
        }
        return true;
    });

    if (!painter.end())
        ok = false;
    return ok && printer.printerState() != QPrinter::Error;
}
