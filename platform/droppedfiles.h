#pragma once

#include <QStringList>

class QMimeData;

/// The files on this machine that a drag carries: the local file addresses
/// of its URL list, in their order, as paths. A file manager drags files
/// this way; a drag of text or of addresses elsewhere carries none.
QStringList droppedFiles(const QMimeData &data);
