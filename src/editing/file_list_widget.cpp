#include "editing/file_list_widget.h"

#include "editing/dropped_files.h"

#include <QDropEvent>
#include <QMimeData>

FileListWidget::FileListWidget(QWidget* parent) : QListWidget(parent) {
    setSelectionMode(QAbstractItemView::MultiSelection);
    setSortingEnabled(false);
    setAcceptDrops(true);
    setDragDropMode(QAbstractItemView::DropOnly);
}

void FileListWidget::appendSelected(const QString& entry) {
    appendSelected(QStringList{entry});
}

// Entries selected one by one cost time with the square of the list's
// length; the new entries become one selected range instead.
void FileListWidget::appendSelected(const QStringList& entries) {
    if (entries.isEmpty())
        return;
    const int first = count();
    addItems(entries);
    selectionModel()->select(
        QItemSelection(model()->index(first, 0), model()->index(count() - 1, 0)),
        QItemSelectionModel::Select);
}

QStringList FileListWidget::selectedEntries() const {
    QStringList entries;
    for (int i = 0; i < count(); ++i) {
        if (item(i)->isSelected())
            entries.append(item(i)->text());
    }
    return entries;
}

bool FileListWidget::dropLocalFiles(const QMimeData* data) {
    const QStringList files = droppedLocalFiles(data);
    appendSelected(files);
    return !files.isEmpty();
}

void FileListWidget::dragEnterEvent(QDragEnterEvent* event) {
    if (droppedLocalFiles(event->mimeData()).isEmpty())
        event->ignore();
    else
        event->acceptProposedAction();
}

void FileListWidget::dragMoveEvent(QDragMoveEvent* event) {
    event->acceptProposedAction();
}

void FileListWidget::dropEvent(QDropEvent* event) {
    if (dropLocalFiles(event->mimeData()))
        event->acceptProposedAction();
    else
        event->ignore();
}
