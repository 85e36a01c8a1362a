#include "pictures.h"

namespace Pictures {

QIcon applicationIcon() { return {}; }
QIcon imlIcons(int) { return {}; }

} // namespace Pictures
