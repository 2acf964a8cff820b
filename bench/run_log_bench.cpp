// The run log's cost per file: writes one "transferred" line for each of N
// files (20,000 unless given) into a log in a temporary folder. Run under
// valgrind --tool=callgrind --toggle-collect='RunLog::transferred*' to count
// the instructions of the formatting alone (bench/run_log.sh does).
#include "runner/run_log.h"

#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    const int files = argc > 1 ? std::atoi(argv[1]) : 20000;
    QTemporaryDir dir;
    RunLog log(dir.filePath(QStringLiteral("_Fennick.log")),
               {QDateTime::currentDateTime(), RunMode::Copy, QStringLiteral("3"), QString()});
    const QString from = QStringLiteral("/home/user/写真/2026/IMG_%1.jpg");
    const QString to = QStringLiteral("/media/user/USB/バックアップ/IMG_%1.jpg");
    for (int n = 0; n < files; ++n) {
        log.recordStarting(n + 1);
        log.transferred(RunMode::Copy, from.arg(n), to.arg(n));
    }
    log.runEnded(Result::success());
    std::printf("%d lines written\n", files);
    return 0;
}
