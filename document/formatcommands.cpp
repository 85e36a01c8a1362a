#include "formatcommands.h"

#include "documenthost.h"
#include "filecommands.h"
#include "frmdocument.h"

#include "platform/messagebox.h"
#include "text/historystep.h"
#include "text/textmodel.h"
#include "textfile/encodingchoices.h"
#include "textfile/textconversion.h"
#include "textfile/textfileformat.h"
#include "textview/textview.h"

#include <algorithm>
#include <new>

namespace {

// A place of the text as its line and column, which a conversion of the
// line ends keeps.
struct LinePlace
{
    qint64 line = 0;
    qint64 column = 0;
};

LinePlace linePlaceOf(const TextModel &text, qint64 position)
{
    const qint64 line = text.lineAt(position);
    return {line, position - text.lineStart(line)};
}

qint64 positionOf(const TextModel &text, LinePlace place)
{
    const LineBounds bounds = text.lineBounds(place.line);
    return std::min(bounds.start + place.column, bounds.end);
}

} // namespace

FormatCommands::FormatCommands(DocumentHost &host, FileCommands &file, MessageBox &messages)
    : host_(host), file_(file), messages_(messages)
{
}

void FormatCommands::ReopenWith(const TextFileFormat::Encoding &encoding)
{
    frmDocument *document = host_.activeDocument();
    if (!document || document->filePath().isEmpty())
        return;
    if (document->hasUnsavedEdits())
        file_.OpenIn(document->filePath(), encoding);
    else
        file_.Reload(*document, encoding);
}

void FormatCommands::ConvertTo(const TextFileFormat::Encoding &encoding)
{
    frmDocument *document = host_.activeDocument();
    if (!document)
        return;
    if (const QString refusal = conversionRefusal(*document, encoding); !refusal.isEmpty()) {
        messages_.show(refusal);
        return;
    }
    document->setEncoding(encoding);
}

QString FormatCommands::conversionRefusal(frmDocument &document,
                                          const TextFileFormat::Encoding &encoding)
{
    const TextFileFormat::Encoding present = document.encoding();
    if (present.writesLike(encoding))
        return {}; // only the mark changes
    const QString wanted = TextFileFormat::shownName(encoding);
    const QString cannot = QStringLiteral("Impossibile convertire il documento in %1").arg(wanted);
    const TextModel &text = document.text();
    if (const std::optional<qint64> byte = TextFileFormat::firstUndecodedByte(text))
        return cannot + QStringLiteral(": alla riga %1 ci sono byte che non sono testo in %2 e "
                                       "non avrebbero senso in %3. Per leggerli in un'altra "
                                       "codifica, scegliere \"Riapri con codifica\".")
                            .arg(text.lineAt(*byte) + 1)
                            .arg(TextFileFormat::shownName(present), wanted);
    if (!TextFileFormat::canEncode(text, encoding))
        return cannot + QStringLiteral(": contiene caratteri che questa codifica non può "
                                       "scrivere. La codifica resta %1.")
                            .arg(TextFileFormat::shownName(present));
    return {};
}

void FormatCommands::ConvertLineEnds(LineBreak lineBreak)
{
    frmDocument *document = host_.activeDocument();
    auto *view = document ? qobject_cast<TextView *>(document->txtText) : nullptr;
    if (!view)
        return;
    TextModel &text = document->text();
    // The new text is built beside the old, which undo keeps.
    if (!view->mayAdd(text.length()))
        return;
    std::optional<std::vector<Chunk>> converted;
    try {
        converted = TextFileFormat::withLineBreaks(text, lineBreak, text.chunkBuilder());
    } catch (const std::bad_alloc &) {
        messages_.show(QStringLiteral("Memoria insufficiente per convertire le fine riga del "
                                      "documento: il testo resta com'era."));
        return;
    }
    const LinePlace anchor = linePlaceOf(text, view->cursor().anchor());
    const LinePlace caret = linePlaceOf(text, view->cursor().position());
    {
        const HistoryStep step(text.history(), view->cursor());
        if (converted)
            text.replace(0, text.length(), std::move(*converted));
        text.setLineBreak(lineBreak);
        view->select(positionOf(text, anchor), positionOf(text, caret));
    }
    view->ensureCaretVisible();
}
