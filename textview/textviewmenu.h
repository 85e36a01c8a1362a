#pragma once

class QMenu;
class TextView;

/// The text box's context menu: Annulla and Ripeti, which undo and redo the
/// text box's edits, then Taglia, Copia, Incolla, Elimina and Seleziona
/// tutto, carried out by the same commands as the Edit menu's.
namespace TextViewMenu {

/// A new menu for the view; the caller owns it.
QMenu *create(TextView &view);

} // namespace TextViewMenu
