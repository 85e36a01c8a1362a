#include "systemselectionboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

bool SystemSelectionBoard::available() const
{
    return QGuiApplication::clipboard()->supportsSelection();
}

void SystemSelectionBoard::offer(QMimeData *data)
{
    QGuiApplication::clipboard()->setMimeData(data, QClipboard::Selection);
}

QString SystemSelectionBoard::text() const
{
    return QGuiApplication::clipboard()->text(QClipboard::Selection);
}
