#include "runner/run_progress_dialog.h"

#include "platform/prompter.h"

#include <QProgressDialog>

namespace {

constexpr qint64 kQuietMilliseconds = 500;

} // namespace

RunProgressDialog::RunProgressDialog(QWidget* parent) : m_parent(parent) {}

RunProgressDialog::~RunProgressDialog() {
    delete m_dialog;
}

void RunProgressDialog::runStarting(qint64 recordCount) {
    m_recordCount = recordCount;
    m_clock.start();
}

void RunProgressDialog::recordStarting(qint64 index, const QString& source) {
    if (!m_dialog) {
        if (m_clock.elapsed() < kQuietMilliseconds)
            return;
        // No cancel button: a run is never stopped half-way.
        m_dialog = new QProgressDialog(m_parent);
        m_dialog->setWindowTitle(kApplicationTitle);
        m_dialog->setCancelButton(nullptr);
        m_dialog->setWindowModality(Qt::WindowModal);
        m_dialog->setMinimumDuration(0);
        m_dialog->setMinimumWidth(420);
        m_dialog->setRange(0, int(qMin<qint64>(m_recordCount, INT_MAX)));
    }
    m_dialog->setLabelText(QStringLiteral("%1 / %2 件目を処理しています\n%3")
                               .arg(index + 1)
                               .arg(m_recordCount)
                               .arg(source));
    // Setting the value also lets the modal dialog paint itself.
    m_dialog->setValue(int(qMin<qint64>(index, INT_MAX)));
}

void RunProgressDialog::runEnded() {
    if (m_dialog)
        m_dialog->hide();
}
