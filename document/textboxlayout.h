#pragma once

#include <QRectF>

#include <optional>

/// Where a document window puts its text box: 100 twips in from every edge
/// of the window's inner area. Sizes are single precision, as the window
/// reports them. A negative width or height is refused (std::nullopt), and
/// the text box then keeps the rectangle it had.
inline std::optional<QRectF> textBoxRect(float innerWidth, float innerHeight)
{
    constexpr float Margin = 100.0f;
    const float width = innerWidth - 2 * Margin;
    const float height = innerHeight - 2 * Margin;
    if (width < 0 || height < 0)
        return std::nullopt;
    return QRectF(Margin, Margin, width, height);
}
