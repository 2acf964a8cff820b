#include "app/terminal_status.h"

#include "app/status_line_text.h"
#include "common/escaped_text.h"

#include <sys/ioctl.h>
#include <unistd.h>

namespace {

constexpr qint64 kQuietMilliseconds = 500;
constexpr auto kRefreshInterval = std::chrono::milliseconds(100);
// A little below the refresh interval, so that the ticker's own draws are
// never skipped for a late wake-up.
constexpr qint64 kMinimumDrawInterval = 90;
// The rate is measured over the last few seconds, so that it follows a
// change of disks without jumping with each chunk.
constexpr qint64 kRateWindowMilliseconds = 3000;
const QString kClearLine = QStringLiteral("\r\x1b[K");

int columnsOf(std::FILE* stream) {
    winsize size{};
    if (ioctl(fileno(stream), TIOCGWINSZ, &size) != 0 || size.ws_col == 0)
        return 80;
    return size.ws_col;
}

} // namespace

TerminalStatus::TerminalStatus(std::FILE* stream)
    : m_stream(stream), m_terminal(stream && isatty(fileno(stream))) {}

TerminalStatus::~TerminalStatus() {
    runEnded(false);
}

RunTally& TerminalStatus::runStarting(RunMode mode, qint64 byteTotal) {
    m_mode = mode;
    m_byteTotal = byteTotal;
    m_tally = std::make_unique<RunTally>(mode);
    m_clock.start();
    if (m_terminal)
        m_ticker = std::thread([this] { tick(); });
    return *m_tally;
}

void TerminalStatus::runEnded(bool finished) {
    if (m_ticker.joinable()) {
        {
            const std::lock_guard lock(m_mutex);
            m_stopping = true;
        }
        m_wake.notify_all();
        m_ticker.join();
    }
    if (!m_terminal || !m_tally)
        return;
    const std::lock_guard lock(m_mutex);
    clearLocked();
    if (finished) {
        const RunMonitor::Snapshot state = m_tally->snapshot();
        writeLocked(runSummaryText(m_mode, state.recordIndex + 1, m_tally->bytesOfStartedRecords(),
                                   m_clock.elapsed()) +
                    QLatin1Char('\n'));
    }
    m_tally.reset();
}

void TerminalStatus::hide() {
    const std::lock_guard lock(m_mutex);
    m_hidden = true;
    clearLocked();
}

void TerminalStatus::show() {
    const std::lock_guard lock(m_mutex);
    m_hidden = false;
    drawLocked();
}

void TerminalStatus::tick() {
    std::unique_lock lock(m_mutex);
    while (!m_wake.wait_for(lock, kRefreshInterval, [this] { return m_stopping; }))
        drawLocked();
}

void TerminalStatus::drawLocked() {
    // Not more often than the refresh interval, however fast questions come.
    const qint64 now = m_clock.elapsed();
    if (!m_terminal || !m_tally || m_hidden || now < kQuietMilliseconds ||
        (m_lastDrawn >= 0 && now - m_lastDrawn < kMinimumDrawInterval))
        return;
    const RunMonitor::Snapshot state = m_tally->snapshot();
    if (state.recordIndex < 0 || state.ended)
        return;
    StatusFigures figures;
    figures.mode = m_mode;
    figures.recordsDone = state.recordIndex;
    figures.recordCount = state.recordCount;
    figures.bytesDone = m_tally->bytesBeforeRecord() + state.fileBytesCopied;
    figures.byteTotal = m_byteTotal;
    figures.fileBytesDone = state.fileBytesCopied;
    figures.fileSize = state.fileSize;
    figures.bytesPerSecond = rateLocked(now, figures.bytesDone);
    figures.source = escapedText(state.source);
    writeLocked(QStringLiteral("\r") + statusLineText(figures, columnsOf(m_stream)) +
                QStringLiteral("\x1b[K"));
    m_drawn = true;
    m_lastDrawn = now;
}

void TerminalStatus::clearLocked() {
    if (!m_drawn)
        return;
    writeLocked(kClearLine);
    m_drawn = false;
}

void TerminalStatus::writeLocked(const QString& text) {
    std::fputs(text.toUtf8().constData(), m_stream);
    std::fflush(m_stream);
}

qint64 TerminalStatus::rateLocked(qint64 now, qint64 bytesDone) {
    m_samples.emplace_back(now, bytesDone);
    while (m_samples.size() > 2 && now - m_samples.front().first > kRateWindowMilliseconds)
        m_samples.pop_front();
    const auto& [then, bytesThen] = m_samples.front();
    if (now - then < 200)
        return -1;
    return (bytesDone - bytesThen) * 1000 / (now - then);
}
