#include "accessibility.h"

#include "textview/accessibleeditabletext.h"

namespace Accessibility {

void install()
{
    AccessibleEditableText::install();
}

} // namespace Accessibility
