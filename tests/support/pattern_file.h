#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include <gtest/gtest.h>

namespace test_support {

// A large file whose every MiB is told apart from the others, so that a copy that is cut,
// reordered or mixed with other data does not pass for the original.
class PatternFile {
  public:
    static constexpr qint64 kChunk = 1024 * 1024;

    static void write(const QString& path, int mebibytes) {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            ADD_FAILURE() << "cannot write " << path.toStdString();
            return;
        }
        for (int index = 0; index < mebibytes; ++index)
            file.write(chunk(index));
    }

    // True when the file holds exactly the pattern of that many MiB.
    static bool matches(const QString& path, int mebibytes) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly) || file.size() != mebibytes * kChunk)
            return false;
        for (int index = 0; index < mebibytes; ++index) {
            if (file.read(kChunk) != chunk(index))
                return false;
        }
        return true;
    }

  private:
    static QByteArray chunk(int index) {
        static const QByteArray base = [] {
            QByteArray bytes(kChunk, Qt::Uninitialized);
            for (qint64 i = 0; i < kChunk; ++i)
                bytes[i] = char((i * 131 + (i >> 12)) & 0xff);
            return bytes;
        }();
        QByteArray bytes = base;
        const QByteArray stamp = QByteArray::number(index).rightJustified(8, '#');
        bytes.replace(0, stamp.size(), stamp);
        return bytes;
    }
};

} // namespace test_support
