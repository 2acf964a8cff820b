#pragma once

#include <QStringList>

class QMimeData;

// The local files and folders that a drop carries, in the order given; empty
// for a drop of text or of anything that is not a local file.
QStringList droppedLocalFiles(const QMimeData* data);
