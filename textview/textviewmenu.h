#pragma once

class QMenu;
class TextView;

/// The text box's context menu: Taglia, Copia, Incolla, Elimina and
/// Seleziona tutto, carried out by the same commands as the Edit menu's, and
/// Trova e sostituisci, which the view asks of the window.
namespace TextViewMenu {

/// A new menu for the view; the caller owns it.
QMenu *create(TextView &view);

} // namespace TextViewMenu
