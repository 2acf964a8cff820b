#pragma once

#include "common/result.h"

#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <array>
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

// The destination and the source field of a line of UTF-8, found in its bytes,
// when the line is a record with no recordProblem whose fields both begin with
// "/": then textOfUtf8 of each is that field of parseJobRecord of the decoded
// line. Nothing for any other line, which must be decoded to tell what it is.
std::optional<std::array<QByteArrayView, 2>> goodRecordFieldsInUtf8(QByteArrayView line);

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
