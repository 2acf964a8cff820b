// The job list reader on any file (UTF-8, Shift-JIS or neither): it never
// crashes, reads no more records and errors than the file has lines, and the
// records it reads are written out again as a job list that reads back the same.

#include "fuzz_support.h"

#include "files/app_folder.h"
#include "files/job_list.h"
#include "files/job_list_reader.h"

#include <QList>
#include <QStringList>

namespace {

// Reads every record of a file; false when the reader stopped at an error.
bool readAll(const QString& path, QList<JobRecord>& records) {
    JobListReader reader;
    require(reader.open(path).ok(), "an existing file opens");
    while (const std::optional<JobRecord> record = reader.next())
        records.append(*record);
    return !reader.failed();
}

// A job list saved from the sources read back with its destination folder,
// or nothing to check when one of them cannot be saved.
void checkSavedAgain(const QList<JobRecord>& records) {
    if (records.isEmpty())
        return;
    const QString destination = withTrailingSeparator(records.front().destination);
    QStringList sources;
    for (const JobRecord& record : records)
        sources.append(record.source);
    const QString saved = scratchPath(QStringLiteral("saved copylist.txt"));
    if (!writeJobList(saved, records.front().destination, sources).ok())
        return;
    QList<JobRecord> readBack;
    require(readAll(saved, readBack), "a saved job list reads without error");
    require(readBack.size() == sources.size(), "a saved job list keeps every source");
    for (qsizetype i = 0; i < readBack.size(); ++i)
        require(readBack[i] == (JobRecord{destination, sources[i]}),
                "a saved record reads back the same");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString path = scratchPath(QStringLiteral("copylist.txt"));
    writeBytes(path, QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));

    QList<JobRecord> records;
    const bool complete = readAll(path, records);
    require(records.size() + (complete ? 0 : 1) <= JobListReader::countLines(path),
            "no more records and errors than lines");
    for (const JobRecord& record : records) {
        const Produced<QString> line = formatJobRecord(record);
        if (line.status.ok())
            require(parseJobRecord(line.value) == record,
                    "a formatted record parses back the same");
    }
    checkSavedAgain(records);
    return 0;
}
