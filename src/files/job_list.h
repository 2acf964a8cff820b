#pragma once

#include "common/result.h"

#include <QString>
#include <QStringList>

#include <optional>

// One line of a job list file: the destination folder, then one source path.
struct JobRecord {
    QString destination;
    QString source;

    bool operator==(const JobRecord&) const = default;
};

// "<application folder><profile text>copylist.txt".
QString jobListPath(const QString& appFolder, const QString& profileText);

// Splits one line into its two fields. Blanks before a field are skipped; a
// field in double quotes runs to the next double quote; an unquoted field ends
// at the comma or the end of the line, without its trailing blanks. A line
// that does not hold exactly two fields is no record.
std::optional<JobRecord> parseJobRecord(const QString& line);

// Why a record cannot be carried out, or nothing when it can: both fields
// must be absolute paths (an empty destination would mean the root folder, a
// relative path whatever folder the program was started in), and a NUL would
// cut a path short.
std::optional<QString> recordProblem(const JobRecord& record);

// Whether a line holds nothing but blanks; job lists skip such lines.
bool isBlankLine(QStringView line);

// The line that parseJobRecord reads back as the given record, without its
// line break, or a failure naming the entry that a job list cannot hold (a
// double quote or a line break in it, or a recordProblem).
Produced<QString> formatJobRecord(const JobRecord& record);

// Writes a whole job list: one record per source, each with the destination
// folder ending in "/". The old file is replaced atomically, so that a failed
// write leaves it as it was; nothing is written when an entry is refused.
Result writeJobList(const QString& path, const QString& destinationFolder,
                    const QStringList& sources);
