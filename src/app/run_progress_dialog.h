#pragma once

#include <QDialog>
#include <QElapsedTimer>
#include <QTimer>

class QLabel;
class QProgressBar;
class QPushButton;
class RunMonitor;

// The progress of a run from the window, shown once the run has taken more
// than half a second, so that a long copy does not look like a hung program.
// It reads the run's monitor several times a second: the record and its
// source, and the bytes of the current file and of the whole run. キャンセル
// (or Esc, or closing the dialog) asks the run to stop.
class RunProgressDialog : public QDialog {
    Q_OBJECT

  public:
    RunProgressDialog(RunMonitor& monitor, QWidget* parent);

    void reject() override;

  private:
    void refresh();

    RunMonitor& m_monitor;
    QLabel* m_recordLabel;
    QLabel* m_sourceLabel;
    QProgressBar* m_recordBar;
    QProgressBar* m_fileBar;
    QLabel* m_bytesLabel;
    QPushButton* m_cancelButton;
    QTimer m_timer;
    QElapsedTimer m_clock;
};
