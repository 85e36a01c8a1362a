#pragma once

class QRect;
class QWidget;

/// Draws the style's focus rectangle on a widget that has the focus, around
/// rect (in the widget's coordinates); nothing while it has not.
void drawFocusMark(QWidget &widget, const QRect &rect);
