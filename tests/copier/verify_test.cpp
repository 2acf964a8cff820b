// Copies that arrive different from their source. A preloaded library (tests/shim) flips the
// first byte of each block written into the target folder, whatever way the data takes there
// (write, copy_file_range, a clone, an unnamed temporary file). With [OPTION] Verify=1 the run
// stops before a wrong copy takes its name; without it, the test shows what gets through.

#include "support/app_sandbox.h"
#include "support/run_expectations.h"
#include "support/small_tmpfs.h"

#include <QFile>

#include <gtest/gtest.h>

#include <optional>
#include <xxhash.h>

using namespace test_support;

namespace {

const QString kDiffers = QStringLiteral("コピー元と一致しません");

// The 128-bit XXH3 hash as the log should write it, from the library's one-shot call.
QString expectedHash(const QByteArray& data) {
    XXH128_canonical_t canonical;
    XXH128_canonicalFromHash(&canonical, XXH3_128bits(data.constData(), size_t(data.size())));
    return QStringLiteral("xxh128:") +
           QString::fromLatin1(
               QByteArray(reinterpret_cast<const char*>(canonical.digest), 16).toHex());
}

// A source folder and a second file system (a tmpfs; needs root) as the target folder, so that
// moves cross file systems.
class VerifyTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(m_sandbox.isValid());
        m_src = m_sandbox.makeFolder(QStringLiteral("src"));
        m_far = m_sandbox.path(QStringLiteral("far"));
        if (!m_farDisk.emplace(m_far, "size=64m").isMounted())
            GTEST_SKIP() << m_farDisk->whyNot();
    }

    RunOutcome run(const QString& argument, const QStringList& sources, const QString& verify,
                   bool corrupt) {
        QList<JobLine> records;
        for (const QString& source : sources)
            records.append({m_far, source});
        m_sandbox.writeJobList(QStringLiteral("1"), records);
        writeFile(m_sandbox.appFolder() + QStringLiteral("_Fennick.ini"),
                  "[OPTION]\r\nVerify=" + verify.toUtf8() + "\r\n");
        RunOptions options;
        options.environment = {QStringLiteral("LD_PRELOAD=" FENNICK_REFUSAL_SHIM),
                               QStringLiteral("ASAN_OPTIONS=verify_asan_link_order=0"),
                               QStringLiteral("FENNICK_CORRUPT_INTO=") +
                                   (corrupt ? m_far : QString())};
        return m_sandbox.run({argument}, options);
    }

    QString log() const {
        return QString::fromUtf8(readBytes(m_sandbox.appFolder() + QStringLiteral("_Fennick.log")));
    }

    AppSandbox m_sandbox;
    QString m_src;
    QString m_far;
    std::optional<SmallTmpfs> m_farDisk;
};

// A file of 5 MiB (a clone is tried first) and a small one (the kernel's copy), damaged on their
// way into the target folder or not. A verified file's log line ends with the data's hash.
TEST_F(VerifyTest, ADamagedCopyNeverTakesItsNameWhenVerified) {
    const struct {
        const char* argument;
        bool replacing;
    } jobs[] = {{"/c1", false}, {"/c1", true}, {"/m1", false}};
    const struct { bool verify, damaged; } ways[] = {{true, true}, {false, true}, {true, false}};
    for (const auto& job : jobs) {
        for (const auto& way : ways) {
            SCOPED_TRACE(std::string(job.argument) + (job.replacing ? " replacing" : "") +
                         (way.verify ? " Verify=1" : " Verify=0") +
                         (way.damaged ? " damaged" : ""));
            const QByteArray data[] = {QByteArray(5 << 20, 'b'), "small"};
            const QStringList names = {QStringLiteral("large.bin"), QStringLiteral("small.txt")};
            for (int i = 0; i < 2; ++i) {
                writeFile(m_src + u'/' + names[i], data[i]);
                QFile::remove(m_far + u'/' + names[i]);
                if (job.replacing)
                    writeFile(m_far + u'/' + names[i], "old");
            }
            QFile::remove(m_sandbox.appFolder() + QStringLiteral("_Fennick.log"));
            const RunOutcome outcome =
                run(QString::fromLatin1(job.argument),
                    {m_src + u'/' + names[0], m_src + u'/' + names[1]},
                    way.verify ? QStringLiteral(" 1 ") : QStringLiteral("0"), way.damaged);
            if (way.verify && way.damaged) {
                // The first file stops the run; the second is never started.
                expectFailure(outcome, kDiffers, m_src + QStringLiteral("/large.bin"));
                EXPECT_EQ(entriesOf(m_far), job.replacing ? names : QStringList());
                for (int i = 0; i < 2 && job.replacing; ++i)
                    EXPECT_EQ(readBytes(m_far + u'/' + names[i]), "old");
            } else {
                // Undamaged, or what gets through: two wrong copies reported as done.
                expectFinishedQuietly(outcome);
                for (int i = 0; i < 2; ++i) {
                    const QByteArray copy = readBytes(m_far + u'/' + names[i]);
                    EXPECT_EQ(copy.size(), data[i].size());
                    EXPECT_EQ(copy == data[i], !way.damaged) << names[i].toStdString();
                }
            }
            if (way.verify && !way.damaged) {
                const QStringList lines =
                    log().split(u'\n', Qt::SkipEmptyParts).filter(QStringLiteral("→"));
                ASSERT_EQ(lines.size(), 2);
                for (int i = 0; i < 2; ++i)
                    EXPECT_TRUE(lines[i].endsWith(names[i] + u' ' + expectedHash(data[i])))
                        << lines[i].toStdString();
            }
            const bool sourcesKept = (way.verify && way.damaged) || job.argument[1] == 'c';
            for (int i = 0; i < 2; ++i)
                EXPECT_EQ(readBytes(m_src + u'/' + names[i]), sourcesKept ? data[i] : QByteArray());
        }
    }
}

// A value that is neither 0 nor 1 stops a run of every mode before it touches a file.
TEST_F(VerifyTest, AnyOtherValueStopsEveryRunAtItsStart) {
    const QString source = m_src + QStringLiteral("/keep.txt");
    writeFile(source, "keep");
    for (const QString& argument :
         {QStringLiteral("/c1"), QStringLiteral("/m1"), QStringLiteral("/d1")}) {
        SCOPED_TRACE(argument.toStdString());
        const RunOutcome outcome = run(argument, {source}, QStringLiteral("yes"), false);
        expectFailure(outcome, QStringLiteral("Verify の値「yes」"),
                      QStringLiteral("_Fennick.ini"));
        EXPECT_EQ(readBytes(source), "keep");
        EXPECT_EQ(entriesOf(m_far), QStringList());
    }
}

} // namespace
