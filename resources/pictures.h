#pragma once

#include <QIcon>
#include <QImage>
#include <QRgb>

namespace Pictures {

/// The application icon: a red pencil drawn diagonally, point to the lower left.
/// It holds two images, 32 x 32 and 16 x 16 pixels, in the 16 VGA colours.
QIcon applicationIcon();

/// Number of pictures in the image list imlIcons.
inline constexpr int imlCount = 13;

/// The image list's mask colour: silver pixels of a picture show as transparent.
inline constexpr QRgb imlMaskColour = 0xFFC0C0C0;

/// Picture `index` (from 1) of the image list imlIcons, 16 x 16 and the same
/// drawing at 32 x 32 for scaled screens, with its silver background
/// transparent. A null icon for an index outside 1..imlCount.
QIcon imlIcons(int index);

/// Picture `index` (from 1) as drawn, 16 x 16 or 32 x 32: opaque, silver
/// background intact. A null image for an index outside 1..imlCount or
/// another size.
QImage imlImage(int index, int size = 16);

} // namespace Pictures
