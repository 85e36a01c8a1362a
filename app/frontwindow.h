#pragma once

class QWidget;

/// Brings a main window to the front, as the desktop allows, for files that
/// came to it from outside (dropped on it, or handed over by another start
/// of the program): shown again if minimised, raised and made the active
/// window. While a dialog of the program waits for an answer, that dialog
/// comes to the front instead.
void bringToFront(QWidget &window);
