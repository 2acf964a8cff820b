#include "app/run_tally.h"

#include "files/job_list_reader.h"

#include <QElapsedTimer>
#include <QFile>

#include <sys/stat.h>

namespace {

// What a source holds; 0 for anything but a file (a pattern, a missing file).
qint64 fileSize(const QString& path) {
    struct stat info;
    if (stat(QFile::encodeName(path).constData(), &info) != 0 || !S_ISREG(info.st_mode))
        return 0;
    return info.st_size;
}

} // namespace

bool RunTally::recordStarting(qint64 index, const QString& source) {
    if (m_countsBytes) {
        m_bytesBefore += m_recordSize;
        m_recordSize = fileSize(source);
    }
    return RunMonitor::recordStarting(index, source);
}

qint64 jobListByteTotal(const QString& jobList, qint64 recordLimit, qint64 millisecondLimit) {
    QElapsedTimer clock;
    clock.start();
    JobListReader reader;
    if (!reader.open(jobList).ok())
        return -1;
    qint64 total = 0;
    qint64 records = 0;
    while (const std::optional<JobRecord> record = reader.next()) {
        if (++records > recordLimit || clock.elapsed() > millisecondLimit)
            return -1;
        total += fileSize(record->source);
    }
    return reader.failed() ? -1 : total;
}
