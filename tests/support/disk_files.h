#pragma once

#include "support/file_helpers.h"
#include "support/qt_printers.h"

#include <QByteArray>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace test_support {

// File details the end-to-end checks look at. They share no code with the program, so a fault
// in the program's file handling cannot hide itself in the checks.

// Writes a whole file, creating its folder; a test whose set-up cannot be written fails.
inline void writeFile(const QString& path, const QByteArray& content) {
    if (!writeBytes(path, content))
        ADD_FAILURE() << "cannot write " << path.toStdString();
}

// The permission bits (rwx for owner, group, others, and the special bits).
inline unsigned modeBits(const QString& path) {
    struct stat status {};
    if (::stat(QFile::encodeName(path).constData(), &status) != 0)
        return 0;
    return status.st_mode & 07777;
}

inline void setModificationTime(const QString& path, const QDateTime& time) {
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite) ||
        !file.setFileTime(time, QFileDevice::FileModificationTime))
        ADD_FAILURE() << "cannot set the modification time of " << path.toStdString();
}

inline QDateTime modificationTime(const QString& path) {
    return QFileInfo(path).lastModified();
}

} // namespace test_support
