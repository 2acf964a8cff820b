#include "runner/run_monitor.h"

RunMonitor::Snapshot RunMonitor::snapshot() const {
    QMutexLocker lock(&m_mutex);
    return m_state;
}

void RunMonitor::runStarting(qint64 recordCount) {
    QMutexLocker lock(&m_mutex);
    m_state = Snapshot();
    m_state.recordCount = recordCount;
    m_bytesBeforeFile = 0;
}

bool RunMonitor::recordStarting(qint64 index, const QString& source) {
    QMutexLocker lock(&m_mutex);
    m_bytesBeforeFile = m_state.runBytesCopied;
    m_state.recordIndex = index;
    m_state.source = source;
    m_state.fileBytesCopied = 0;
    m_state.fileSize = 0;
    return !m_cancelRequested;
}

void RunMonitor::runEnded() {
    QMutexLocker lock(&m_mutex);
    m_state.ended = true;
}

bool RunMonitor::fileCopyAdvanced(qint64 copiedBytes, qint64 totalBytes) {
    QMutexLocker lock(&m_mutex);
    m_state.fileBytesCopied = copiedBytes;
    m_state.fileSize = totalBytes;
    m_state.runBytesCopied = m_bytesBeforeFile + copiedBytes;
    return !m_cancelRequested;
}
