#include "textprinter.h"

#include "text/textmodel.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QPainter>
#include <QPrinter>
#include <QTextLayout>

namespace {

constexpr qreal PointSize = 10;
constexpr int TabWidthInSpaces = 8;

// Calls lineFound for every line of the text, read from the text one at a
// time; a line break at the very end of the text does not start another,
// empty line.
template <typename LineFound> void forEachLine(const TextModel &text, LineFound lineFound)
{
    qint64 lines = text.lineCount();
    if (lines > 1 && text.lineStart(lines - 1) == text.length())
        --lines;
    if (text.isEmpty())
        lines = 0;
    for (qint64 line = 0; line < lines; ++line) {
        if (!lineFound(text.text(text.lineStart(line), text.lineEnd(line))))
            return;
    }
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

bool TextPrinter::print(const TextModel &text, QPrinter &printer) const
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
    forEachLine(text, [&](const QString &line) {
        QTextLayout layout(line, font, &printer);
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
