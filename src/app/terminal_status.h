#pragma once

#include "app/run_tally.h"
#include "common/run_mode.h"

#include <QElapsedTimer>

#include <condition_variable>
#include <cstdio>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>

// What a run started at a terminal shows on standard error: once it has gone
// on for half a second, one status line, drawn again at most ten times a
// second from a thread of its own; at its end, when it finished, a one-line
// summary. When the stream is no terminal (cron, a pipe, a launcher), nothing
// is written and nothing is measured.
//
// Messages and questions go to the same terminal: hide() clears the line
// before one, show() draws it again after it (at once, unless it was drawn
// less than a tenth of a second ago; then the next tick draws it).
class TerminalStatus {
  public:
    // `stream` is standard error, or null for none.
    explicit TerminalStatus(std::FILE* stream);
    ~TerminalStatus();
    TerminalStatus(const TerminalStatus&) = delete;
    TerminalStatus& operator=(const TerminalStatus&) = delete;

    bool isTerminal() const { return m_terminal; }

    // Starts watching a run: `byteTotal` is the sizes of its sources added
    // up, -1 when not known. The tally is what the runner reports to.
    RunTally& runStarting(RunMode mode, qint64 byteTotal);
    // Clears the line and, when the run finished, writes the summary.
    void runEnded(bool finished);

    void hide();
    void show();

  private:
    void tick();
    void drawLocked();
    void clearLocked();
    void writeLocked(const QString& text);
    qint64 rateLocked(qint64 now, qint64 bytesDone);

    std::FILE* m_stream;
    bool m_terminal;
    RunMode m_mode = RunMode::Copy;
    qint64 m_byteTotal = -1;
    std::unique_ptr<RunTally> m_tally;
    QElapsedTimer m_clock;

    std::mutex m_mutex; // guards everything below and the writes to the stream
    std::condition_variable m_wake;
    bool m_stopping = false;
    bool m_hidden = false;
    bool m_drawn = false;
    qint64 m_lastDrawn = -1;                         // milliseconds into the run
    std::deque<std::pair<qint64, qint64>> m_samples; // milliseconds, bytes done
    std::thread m_ticker;
};
