#pragma once

#include <QIcon>

namespace Pictures {

/// The application icon: a red pencil drawn diagonally, point to the lower left.
QIcon applicationIcon();

/// Picture `index` (from 1) of the image list imlIcons.
QIcon imlIcons(int index);

} // namespace Pictures
