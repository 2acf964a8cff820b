#pragma once

#include "runner/run_progress.h"

#include <QElapsedTimer>

class QProgressDialog;
class QWidget;

// Shows a modal progress dialog once a run from the window has taken more
// than half a second, so that a long copy does not look like a hung program.
class RunProgressDialog : public RunProgress {
  public:
    explicit RunProgressDialog(QWidget* parent);
    ~RunProgressDialog() override;

    void runStarting(qint64 recordCount) override;
    void recordStarting(qint64 index, const QString& source) override;
    void runEnded() override;

  private:
    QWidget* m_parent;
    QProgressDialog* m_dialog = nullptr;
    QElapsedTimer m_clock;
    qint64 m_recordCount = 0;
};
