#pragma once

class TextBox;

/// The edit commands on one text box, whichever way they are asked for: from
/// the menu and the toolbar on the active document, or from the text box's
/// own context menu. The clipboard gets the selection exactly as the text
/// holds it, line breaks included, and loses whatever text it held before;
/// a selection larger than the memory left allows is refused, with the
/// reason, and the clipboard keeps its text.
namespace TextBoxCommands {

void cut(TextBox &box);
void copy(TextBox &box);
/// The clipboard's text replaces the selection; the caret ends right after it.
void paste(TextBox &box);
void selectAll(TextBox &box);

} // namespace TextBoxCommands
