#pragma once

class QMenu;
class QPoint;
class TextView;

/// The text box's context menu: Annulla and Ripeti, which undo and redo the
/// text box's edits, then Taglia, Copia, Incolla, Elimina and Seleziona
/// tutto, carried out by the same commands as the Edit menu's, Trova e
/// sostituisci, which the view asks of the document commands, Vai alla
/// riga, and last what the view's owner adds (TextView::setMenuAddition).
namespace TextViewMenu {

/// A new menu for the view; the caller owns it.
QMenu *create(TextView &view);

/// Shows the menu at a point of the screen until an entry is chosen or it
/// is closed (Escape closes it). Opened from the keyboard, its first entry
/// that can be chosen is active, so that arrows, Return and the entries'
/// letters work at once.
void exec(QMenu &menu, QPoint globalPosition, bool fromKeyboard);

/// Makes a menu for the view and shows it at a point of the screen, as exec
/// does.
void show(TextView &view, QPoint globalPosition, bool fromKeyboard);

/// Shows the menu under the caret (scrolled into view), its first entry
/// active, as the Menu key and Shift+F10 do.
void showAtCaret(TextView &view);

} // namespace TextViewMenu
