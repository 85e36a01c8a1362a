#pragma once

#include "filedialog.h"

/// The toolkit's own file dialog, shown over the application's active window
/// with no title, filter, folder or default extension of its own.
class QtFileDialog : public FileDialog
{
public:
    void showOpen() override;
    void showSave() override;
};
