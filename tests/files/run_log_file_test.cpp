// The run log file's block of lines: lines of any length, written whole and
// in order however the block fills.

#include "files/run_log_file.h"

#include "support/file_helpers.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstring>

using namespace test_support;

namespace {

void writeLine(RunLogFile& file, const QByteArray& line) {
    char* at = file.lineSpace(line.size());
    std::memcpy(at, line.constData(), size_t(line.size()));
    file.endLine(at + line.size());
}

// Short lines past a block's size, then a line larger than the room the
// block was given at first, written after the lines before it; a line with
// no room asked for beyond its bytes.
TEST(RunLogFileBlock, KeepsEveryLineWholeAndInOrder) {
    QTemporaryDir dir;
    const QString log = dir.filePath("log");
    QByteArray expected;
    {
        RunLogFile file;
        file.open(log, {"==== ", 1024 * 1024, 512 * 1024});
        for (int n = 0; n < 5000; ++n) {
            const QByteArray line = "line " + QByteArray::number(n) + QByteArray(n % 40, 'x');
            writeLine(file, line);
            expected += line + '\n';
        }
        const QByteArray large(300 * 1024, 'L');
        writeLine(file, large);
        writeLine(file, "after");
        writeLine(file, "");
        expected += large + "\nafter\n\n";
    }
    EXPECT_EQ(readBytes(log), expected);
}

} // namespace
