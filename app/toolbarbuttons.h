#pragma once

class QToolBar;

/// Fills the main window's toolbar as the design lists it: nine entries,
/// push buttons of pictures only, each with its tooltip and its key (the
/// action's data, which the toolbar's dispatch reads), and two separators.
/// The buttons have their design size, 360 x 330 twips.
void addToolBarButtons(QToolBar &toolBar);
