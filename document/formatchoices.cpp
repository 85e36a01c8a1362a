#include "formatchoices.h"

#include "documentcommands.h"
#include "frmdocument.h"

#include "textfile/encodingchoices.h"

#include <algorithm>

namespace {

using TextFileFormat::EncodingChoice;
using TextFileFormat::FileFormat;

// The entries that choose an encoding; current tells the document's own.
QList<FormatChoice> encodingEntries(const QList<EncodingChoice> &choices,
                                    const std::function<bool(const EncodingChoice &)> &current,
                                    DocumentCommand command, DocumentCommands &commands)
{
    QList<FormatChoice> entries;
    for (const EncodingChoice &choice : choices) {
        const FileFormat chosen{choice.encoding, LineBreak::CrLf};
        entries.append({choice.label, current(choice),
                        [&commands, command, chosen] { commands.runFormat(command, chosen); }});
    }
    return entries;
}

// The document's own encoding is among the common ones, so that the menu
// always shows which it is, even one that only detection gives.
QList<EncodingChoice> withOwn(QList<EncodingChoice> common, const QList<EncodingChoice> &others,
                              const EncodingChoice &own,
                              const std::function<bool(const EncodingChoice &)> &current)
{
    if (std::none_of(common.cbegin(), common.cend(), current) &&
        std::none_of(others.cbegin(), others.cend(), current))
        common.prepend(own);
    return common;
}

} // namespace

FormatChoices formatChoicesFor(const frmDocument *document, DocumentCommands &commands)
{
    FormatChoices result;
    if (!document)
        return result;
    result.hasDocument = true;
    result.canReopen = !document->filePath().isEmpty();
    const TextFileFormat::Encoding own = document->encoding();
    const TextFileFormat::EncodingChoices choices;

    const auto readsLikeOwn = [&own](const EncodingChoice &c) {
        return c.encoding.writesLike(own);
    };
    const QList<EncodingChoice> otherReopen = choices.othersToRead();
    const QList<EncodingChoice> reopen =
        withOwn(choices.commonToRead(), otherReopen, {own, own.displayName()}, readsLikeOwn);
    result.reopen =
        encodingEntries(reopen, readsLikeOwn, DocumentCommand::ReopenWithEncoding, commands);
    result.otherReopen =
        encodingEntries(otherReopen, readsLikeOwn, DocumentCommand::ReopenWithEncoding, commands);

    const auto isOwn = [&own](const EncodingChoice &c) { return c.encoding == own; };
    const QList<EncodingChoice> otherConvert = choices.othersToWrite();
    const QList<EncodingChoice> convert = withOwn(choices.commonToWrite(), otherConvert,
                                                  {own, TextFileFormat::shownName(own)}, isOwn);
    result.convert = encodingEntries(convert, isOwn, DocumentCommand::ConvertEncoding, commands);
    result.otherConvert =
        encodingEntries(otherConvert, isOwn, DocumentCommand::ConvertEncoding, commands);

    const LineBreak ownBreak = document->fileFormat().lineBreak;
    for (const auto &[lineBreak, label] :
         {std::pair{LineBreak::CrLf, QStringLiteral("CR LF (Windows)")},
          std::pair{LineBreak::Lf, QStringLiteral("LF (Unix)")}}) {
        const FileFormat chosen{own, lineBreak};
        result.lineEnds.append({label, lineBreak == ownBreak, [&commands, chosen] {
                                    commands.runFormat(DocumentCommand::ConvertLineEnds, chosen);
                                }});
    }
    return result;
}
