#pragma once

#include <QObject>
#include <QStringList>

#include <functional>

class QWidget;

/// Files dropped on a window: a drag that carries files on this machine is
/// taken anywhere on the window (its frame, a document, the empty area) and
/// its files are handed on once the drop is over. Drags of anything else
/// are left to the parts of the window that take them, such as the text
/// boxes for text.
class FileDrops : public QObject
{
public:
    using Open = std::function<void(const QStringList &paths)>;

    FileDrops(QWidget &window, Open open);

    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    Open open_;
};
