#pragma once

#include <QFont>

#include <optional>

class QKeyEvent;
class QWheelEvent;
class TextView;

/// The size of a text view's text, as a person changes it in any text box:
/// Ctrl+Plus (or Ctrl+=) and Ctrl+wheel up make it a point larger, Ctrl+Minus
/// and Ctrl+wheel down a point smaller, within MinimumPointSize and
/// MaximumPointSize, and Ctrl+0 gives back the size it had. The view lays
/// its lines out again and keeps the caret in view. Only the screen
/// changes: a printout keeps its own size.
class TextViewZoom
{
public:
    static constexpr qreal MinimumPointSize = 6;
    static constexpr qreal MaximumPointSize = 72;

    explicit TextViewZoom(TextView &view) : view_(view) {}

    /// Whether the key changes the text's size.
    static bool isZoomKey(const QKeyEvent *event);
    /// Carries a zoom key out; false when the key is none.
    bool key(const QKeyEvent *event);
    /// Carries Ctrl+wheel out; false for any other wheel.
    bool wheel(QWheelEvent *event);

    /// Makes the text this many points larger (smaller when negative), as
    /// far as the bounds allow.
    void zoomBy(int points);
    /// Gives the text back the size it had before any zoom.
    void reset();

private:
    void setFont(const QFont &font);

    TextView &view_;
    /// The view's font before the first zoom, and whether it was its own.
    std::optional<QFont> unzoomed_;
    bool hadOwnFont_ = false;
    /// What the wheel turned by less than a notch, in eighths of a degree.
    int wheelAngle_ = 0;
};
