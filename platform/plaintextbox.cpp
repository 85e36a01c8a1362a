#include "plaintextbox.h"

#include <QKeyEvent>
#include <QMimeData>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>

namespace {

constexpr QChar Cr = u'\r';
constexpr QChar Lf = u'\n';
constexpr QChar ParagraphSeparator = QChar(0x2029);

// The view treats U+FDD0 and U+FDD1 as frame markers and drops them; they are
// stored as these private-use characters, marked with StandInProperty.
constexpr char16_t FrameStart = 0xFDD0;
constexpr char16_t FrameEnd = 0xFDD1;
constexpr char16_t FrameStartStandIn = 0xF8D0;
constexpr char16_t FrameEndStandIn = 0xF8D1;
constexpr int StandInProperty = QTextFormat::UserProperty + 1;

QString breakText(LineBreak kind)
{
    switch (kind) {
    case LineBreak::CrLf:
        return QStringLiteral("\r\n");
    case LineBreak::Lf:
        return QStringLiteral("\n");
    case LineBreak::Cr:
        return QStringLiteral("\r");
    case LineBreak::Paragraph:
        return QString(ParagraphSeparator);
    }
    return {};
}

LineBreak breakFromState(int state)
{
    switch (state) {
    case int(LineBreak::Lf):
        return LineBreak::Lf;
    case int(LineBreak::Cr):
        return LineBreak::Cr;
    case int(LineBreak::Paragraph):
        return LineBreak::Paragraph;
    default: // -1, a block the view split off itself: a typed line end
        return LineBreak::CrLf;
    }
}

// A piece of text to insert: either plain lines joined by '\n', or a run of
// stand-ins that carry the marking format.
struct Piece
{
    QString text;
    bool standIns = false;
};

// Splits text into what the view stores: line breaks become '\n' (their kinds
// listed in breaks), U+FDD0/U+FDD1 become marked stand-ins. One pass.
std::vector<Piece> toViewPieces(const QString &text, std::vector<LineBreak> &breaks)
{
    std::vector<Piece> pieces(1);
    pieces.back().text.reserve(text.size());
    const qsizetype n = text.size();
    const QChar *data = text.constData();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = data[i].unicode();
        LineBreak kind;
        if (c == Cr) {
            const bool pair = i + 1 < n && data[i + 1] == Lf;
            kind = pair ? LineBreak::CrLf : LineBreak::Cr;
            i += pair ? 1 : 0;
        } else if (c == Lf) {
            kind = LineBreak::Lf;
        } else if (c == ParagraphSeparator) {
            kind = LineBreak::Paragraph;
        } else if (c == FrameStart || c == FrameEnd) {
            if (!pieces.back().standIns)
                pieces.push_back({QString(), true});
            pieces.back().text += QChar(c == FrameStart ? FrameStartStandIn : FrameEndStandIn);
            continue;
        } else {
            if (pieces.back().standIns)
                pieces.push_back({});
            pieces.back().text += data[i];
            continue;
        }
        if (pieces.back().standIns)
            pieces.push_back({});
        pieces.back().text += Lf;
        breaks.push_back(kind);
    }
    return pieces;
}

} // namespace

PlainTextBox::PlainTextBox(QWidget *parent) : QPlainTextEdit(parent)
{
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // The editor has no undo; keeping undo steps would also double the memory
    // a large file needs.
    setUndoRedoEnabled(false);
    connect(document(), &QTextDocument::contentsChange, this, &PlainTextBox::onContentsChange);
}

int PlainTextBox::viewLength() const { return document()->characterCount() - 1; }

LineBreak PlainTextBox::breakBefore(const QTextBlock &block) const
{
    return breakFromState(block.userState());
}

qsizetype PlainTextBox::textPosition(int viewPosition) const
{
    viewPosition = std::clamp(viewPosition, 0, viewLength());
    const int block = document()->findBlock(viewPosition).blockNumber();
    return viewPosition + breaks_.crLfBefore(std::max(block, 0));
}

int PlainTextBox::viewPosition(qsizetype textPosition) const
{
    if (textPosition <= 0)
        return 0;
    if (textPosition >= textLength())
        return viewLength();
    // The last block whose start in the text is at or before textPosition.
    const QTextDocument *doc = document();
    int low = 0, high = doc->blockCount() - 1;
    while (low < high) {
        const int mid = low + (high - low + 1) / 2;
        const qsizetype start = doc->findBlockByNumber(mid).position() + breaks_.crLfBefore(mid);
        if (start <= textPosition)
            low = mid;
        else
            high = mid - 1;
    }
    const QTextBlock block = doc->findBlockByNumber(low);
    const qsizetype offset = textPosition - (block.position() + breaks_.crLfBefore(low));
    // A position between the CR and the LF of a line end falls back to the
    // end of the line.
    return block.position() + int(std::min<qsizetype>(offset, block.length() - 1));
}

qsizetype PlainTextBox::textLength() const
{
    return viewLength() + breaks_.crLfBefore(document()->blockCount() - 1);
}

QString PlainTextBox::blockText(const QTextBlock &block, int from, int to) const
{
    const int start = block.position();
    if (!mayHoldStandIns_)
        return block.text().mid(from - start, to - from);
    QString out;
    for (auto it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment fragment = it.fragment();
        const int fStart = std::max(fragment.position(), from);
        const int fEnd = std::min(fragment.position() + fragment.length(), to);
        if (fStart >= fEnd)
            continue;
        QString piece = fragment.text().mid(fStart - fragment.position(), fEnd - fStart);
        if (fragment.charFormat().hasProperty(StandInProperty)) {
            piece.replace(QChar(FrameStartStandIn), QChar(FrameStart));
            piece.replace(QChar(FrameEndStandIn), QChar(FrameEnd));
        }
        out += piece;
    }
    return out;
}

QString PlainTextBox::textOfRange(int from, int to) const
{
    QString out;
    QTextBlock block = document()->findBlock(from);
    while (block.isValid() && block.position() <= to) {
        const int start = block.position();
        const int end = start + block.length() - 1; // where its break stands
        out += blockText(block, std::max(from, start), std::min(to, end));
        const QTextBlock next = block.next();
        if (to > end && next.isValid())
            out += breakText(breakBefore(next));
        block = next;
    }
    return out;
}

QString PlainTextBox::Text() const
{
    if (mayHoldStandIns_)
        return textOfRange(0, viewLength());
    // Fast path: one copy of the raw text (which, unlike toPlainText, keeps
    // U+00A0), then one pass that spells out every block break.
    const QString raw = document()->toRawText();
    QString out;
    out.reserve(textLength());
    QTextBlock block = document()->firstBlock();
    qsizetype runStart = 0;
    const qsizetype n = std::min<qsizetype>(raw.size(), viewLength());
    for (qsizetype i = 0; i < n; ++i) {
        if (raw.at(i) != ParagraphSeparator)
            continue;
        out.append(QStringView(raw).mid(runStart, i - runStart));
        block = block.next();
        out += breakText(breakBefore(block));
        runStart = i + 1;
    }
    out.append(QStringView(raw).mid(runStart, n - runStart));
    return out;
}

int PlainTextBox::replaceRange(int from, int to, const QString &text)
{
    std::vector<LineBreak> breaks;
    const std::vector<Piece> pieces = toViewPieces(text, breaks);

    replacing_ = true;
    QTextCursor cursor(document());
    cursor.beginEditBlock();
    cursor.setPosition(from);
    cursor.setPosition(to, QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
    const int firstBlock = cursor.blockNumber();
    QTextCharFormat standInFormat;
    standInFormat.setProperty(StandInProperty, true);
    for (const Piece &piece : pieces) {
        if (piece.text.isEmpty())
            continue;
        cursor.insertText(piece.text, piece.standIns ? standInFormat : QTextCharFormat());
        mayHoldStandIns_ = mayHoldStandIns_ || piece.standIns;
    }
    // The view made a fresh block for every '\n'; record which break it was.
    QTextBlock block = document()->findBlockByNumber(firstBlock);
    for (const LineBreak kind : breaks) {
        block = block.next();
        if (kind != LineBreak::CrLf)
            block.setUserState(int(kind));
    }
    cursor.endEditBlock();
    replacing_ = false;
    reindexBlocks(firstBlock, firstBlock + int(breaks.size()));
    return cursor.position();
}

void PlainTextBox::onContentsChange(int position, int, int charsAdded)
{
    if (replacing_)
        return;
    const QTextDocument *doc = document();
    const int first = doc->findBlock(std::clamp(position, 0, viewLength())).blockNumber();
    const int last =
        doc->findBlock(std::clamp(position + charsAdded, 0, viewLength())).blockNumber();
    reindexBlocks(std::max(first, 0), std::max(last, 0));
}

// Blocks firstBlock..lastBlock of the view replace whatever blocks stood
// there before the edit; the blocks around them are untouched.
void PlainTextBox::reindexBlocks(int firstBlock, int lastBlock)
{
    const int blockCount = document()->blockCount();
    lastBlock = std::min(lastBlock, blockCount - 1);
    const int oldCount = (lastBlock - firstBlock + 1) - (blockCount - indexedBlockCount_);
    // The break in front of the first block was not part of the edit. When the
    // view joins two blocks it keeps the state of the second, so restore it.
    const LineBreak firstKind = breaks_.breakBefore(firstBlock);
    std::vector<LineBreak> kinds;
    kinds.reserve(std::size_t(lastBlock - firstBlock + 1));
    QTextBlock block = document()->findBlockByNumber(firstBlock);
    if (block.userState() != int(firstKind))
        block.setUserState(int(firstKind));
    kinds.push_back(firstKind);
    for (int n = firstBlock + 1; n <= lastBlock; ++n) {
        block = block.next();
        kinds.push_back(breakBefore(block));
    }
    breaks_.replace(firstBlock, std::max(oldCount, 0), kinds);
    indexedBlockCount_ = blockCount;
}

void PlainTextBox::setText(const QString &text)
{
    replaceRange(0, viewLength(), text);
    QTextCursor cursor(document());
    setTextCursor(cursor);
}

void PlainTextBox::appendText(const QString &text)
{
    // Kept as positions: a cursor standing at the end would move along with
    // the text inserted there.
    const QTextCursor current = textCursor();
    const int anchor = current.anchor();
    const int position = current.position();
    const int scroll = verticalScrollBar()->value();
    replaceRange(viewLength(), viewLength(), text);
    QTextCursor kept(document());
    kept.setPosition(anchor);
    kept.setPosition(position, QTextCursor::KeepAnchor);
    setTextCursor(kept);
    verticalScrollBar()->setValue(scroll);
}

QString PlainTextBox::SelText() const
{
    const QTextCursor cursor = textCursor();
    return textOfRange(cursor.selectionStart(), cursor.selectionEnd());
}

void PlainTextBox::setSelText(const QString &text)
{
    const QTextCursor current = textCursor();
    const int end = replaceRange(current.selectionStart(), current.selectionEnd(), text);
    QTextCursor cursor(document());
    cursor.setPosition(end);
    setTextCursor(cursor);
    ensureCursorVisible();
}

qsizetype PlainTextBox::SelStart() const { return textPosition(textCursor().selectionStart()); }

void PlainTextBox::setSelStart(qsizetype start)
{
    QTextCursor cursor(document());
    cursor.setPosition(viewPosition(start));
    setTextCursor(cursor);
}

qsizetype PlainTextBox::SelLength() const
{
    const QTextCursor cursor = textCursor();
    return textPosition(cursor.selectionEnd()) - textPosition(cursor.selectionStart());
}

void PlainTextBox::setSelLength(qsizetype length)
{
    const qsizetype start = SelStart();
    QTextCursor cursor(document());
    cursor.setPosition(viewPosition(start));
    cursor.setPosition(viewPosition(start + std::max<qsizetype>(length, 0)),
                       QTextCursor::KeepAnchor);
    setTextCursor(cursor);
}

namespace {

// The program's Cut, Copy and Paste commands own these keys; the view's own
// handling would otherwise take them first.
bool isCommandKey(const QKeyEvent *event)
{
    if (event->modifiers() != Qt::ControlModifier)
        return false;
    return event->key() == Qt::Key_X || event->key() == Qt::Key_C || event->key() == Qt::Key_V;
}

} // namespace

bool PlainTextBox::event(QEvent *event)
{
    if (event->type() == QEvent::ShortcutOverride && isCommandKey(static_cast<QKeyEvent *>(event))) {
        event->ignore();
        return false;
    }
    return QPlainTextEdit::event(event);
}

void PlainTextBox::keyPressEvent(QKeyEvent *event)
{
    if (isCommandKey(event)) {
        event->ignore();
        return;
    }
    // Shift+Enter would insert U+2028; here it is an ordinary line break.
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        (event->modifiers() & Qt::ShiftModifier)) {
        QKeyEvent plain(event->type(), event->key(), event->modifiers() & ~Qt::ShiftModifier,
                        event->text(), event->isAutoRepeat(), event->count());
        QPlainTextEdit::keyPressEvent(&plain);
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

// Drag and drop and the context menu move text exactly as the commands do.
QMimeData *PlainTextBox::createMimeDataFromSelection() const
{
    auto *data = new QMimeData;
    data->setText(SelText());
    return data;
}

void PlainTextBox::insertFromMimeData(const QMimeData *source)
{
    if (source && source->hasText())
        setSelText(source->text());
}
