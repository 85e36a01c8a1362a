#include "filedrops.h"

#include "platform/droppedfiles.h"

#include <QDropEvent>
#include <QMimeData>
#include <QTimer>
#include <QWidget>

FileDrops::FileDrops(QWidget &window, Open open) : QObject(&window), open_(std::move(open))
{
    window.setAcceptDrops(true);
    window.installEventFilter(this);
}

bool FileDrops::eventFilter(QObject *, QEvent *event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop)
        return false;
    auto *drop = static_cast<QDropEvent *>(event);
    const QStringList paths = droppedFiles(*drop->mimeData());
    // Dropped files are read, never moved: a move would have the program they
    // come from delete them once the drop is done.
    if (paths.isEmpty() || !(drop->possibleActions() & Qt::CopyAction)) {
        drop->ignore();
        return true;
    }
    drop->setDropAction(Qt::CopyAction);
    drop->accept();
    // The files open after the drop has been answered, so that the program
    // the files came from is not kept waiting while they load.
    if (type == QEvent::Drop)
        QTimer::singleShot(0, this, [this, paths] { open_(paths); });
    return true;
}
