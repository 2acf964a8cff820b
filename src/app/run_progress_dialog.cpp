#include "app/run_progress_dialog.h"

#include "platform/prompter.h"
#include "runner/run_monitor.h"

#include <QApplication>
#include <QLabel>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr qint64 kQuietMilliseconds = 500;
constexpr int kRefreshMilliseconds = 100;
// A bar's range is an int; a file's bytes are shown in thousandths.
constexpr int kFileBarSteps = 1000;

// Paths are shown as they are, "<" and "&" included.
QLabel* plainLabel(QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText);
    return label;
}

QString dataSize(qint64 bytes) {
    return QLocale(QLocale::Japanese).formattedDataSize(bytes);
}

} // namespace

RunProgressDialog::RunProgressDialog(RunMonitor& monitor, QWidget* parent)
    : QDialog(parent), m_monitor(monitor), m_recordLabel(plainLabel(this)),
      m_sourceLabel(plainLabel(this)), m_recordBar(new QProgressBar(this)),
      m_fileBar(new QProgressBar(this)), m_bytesLabel(plainLabel(this)),
      m_cancelButton(new QPushButton(QStringLiteral("キャンセル"), this)) {
    setObjectName(QStringLiteral("RunProgress"));
    setWindowTitle(kApplicationTitle);
    setWindowModality(Qt::WindowModal);
    m_recordBar->setObjectName(QStringLiteral("recordProgress"));
    m_fileBar->setObjectName(QStringLiteral("fileProgress"));
    m_fileBar->setRange(0, kFileBarSteps);
    m_cancelButton->setObjectName(QStringLiteral("cancelButton"));
    m_cancelButton->setAutoDefault(false);
    connect(m_cancelButton, &QPushButton::clicked, this, &RunProgressDialog::reject);

    auto* layout = new QVBoxLayout(this);
    for (QWidget* part : {static_cast<QWidget*>(m_recordLabel),
                          static_cast<QWidget*>(m_sourceLabel), static_cast<QWidget*>(m_recordBar),
                          static_cast<QWidget*>(m_bytesLabel), static_cast<QWidget*>(m_fileBar)})
        layout->addWidget(part);
    layout->addWidget(m_cancelButton, 0, Qt::AlignRight);
    setMinimumWidth(fontMetrics().averageCharWidth() * 60);

    connect(&m_timer, &QTimer::timeout, this, &RunProgressDialog::refresh);
    m_clock.start();
    m_timer.start(kRefreshMilliseconds);
}

// Stopping takes effect inside the current file's copy or before the next
// record; the run's end closes the dialog.
void RunProgressDialog::reject() {
    m_monitor.requestCancel();
    m_cancelButton->setEnabled(false);
    m_recordLabel->setText(QStringLiteral("中止しています…"));
}

void RunProgressDialog::refresh() {
    const RunMonitor::Snapshot state = m_monitor.snapshot();
    if (state.ended) {
        m_timer.stop();
        hide();
        return;
    }
    if (!isVisible()) {
        // Not before the first record, nor over a question the run asks.
        if (m_clock.elapsed() < kQuietMilliseconds || state.recordIndex < 0 ||
            QApplication::activeModalWidget())
            return;
        show();
    }
    if (!m_monitor.cancelRequested())
        m_recordLabel->setText(QStringLiteral("%1 / %2 件目を処理しています")
                                   .arg(state.recordIndex + 1)
                                   .arg(state.recordCount));
    m_sourceLabel->setText(m_sourceLabel->fontMetrics().elidedText(state.source, Qt::ElideMiddle,
                                                                   m_sourceLabel->width()));
    m_recordBar->setRange(0, int(qMin<qint64>(state.recordCount, INT_MAX)));
    m_recordBar->setValue(int(qBound(qint64(0), state.recordIndex, qint64(INT_MAX))));
    m_fileBar->setValue(
        state.fileSize > 0 ? int(state.fileBytesCopied * kFileBarSteps / state.fileSize) : 0);
    m_bytesLabel->setText(QStringLiteral("このファイル %1 / %2　合計 %3")
                              .arg(dataSize(state.fileBytesCopied), dataSize(state.fileSize),
                                   dataSize(state.runBytesCopied)));
}
