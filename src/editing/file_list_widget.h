#pragma once

#include <QListWidget>

// The file list: entries in the order they were added, each selected or not
// on its own, and local files dropped from the file manager appended.
class FileListWidget : public QListWidget {
    Q_OBJECT

  public:
    explicit FileListWidget(QWidget* parent = nullptr);

    // Appends entries and selects them.
    void appendSelected(const QString& entry);
    void appendSelected(const QStringList& entries);
    QStringList selectedEntries() const;

    // What a drop onto the list does; public so that tests can hand it a drop.
    bool dropLocalFiles(const QMimeData* data);

  protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
};
