#pragma once

#include "support/disk_files.h"
#include "support/temporary_app_folder.h"

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

#include <functional>

namespace test_support {

// One line of a job list file, as the sandbox writes it.
struct JobLine {
    QString destination;
    QString source;
};

// How to start the program besides its arguments.
struct RunOptions {
    QByteArray input = {};                    // standard input, closed after it (end of input)
    QStringList environment = {};             // extra NAME=VALUE entries
    QStringList wrapper = {};                 // a command that starts the program, e.g. setpriv ...
    std::function<void()> childModifier = {}; // runs in the child just before the program starts
};

// How one run ended.
struct RunOutcome {
    bool endedByItself = false; // not crashed, not killed after hanging
    int exitCode = -1;
    QString errors; // everything written to standard error
};

// A temporary application folder holding a copy of the built program (which takes its own
// folder as the application folder), beside room for the files a job works on. The program is
// run as from a terminal, a launcher or cron without a desktop session: no display, SHIFT not
// held. The program's code in the test process uses the same application folder.
class AppSandbox {
  public:
    static inline const QString kCopyDone = QStringLiteral("コピーが終わりました");
    static inline const QString kDeleteDone = QStringLiteral("削除が終わりました");
    static inline const QString kMoveDone = QStringLiteral("移動が終わりました");

    explicit AppSandbox(const QString& appSubfolder = QStringLiteral("app"))
        : m_folder(appSubfolder) {
        m_valid = m_folder.isValid() && QDir().mkpath(path(QStringLiteral("elsewhere"))) &&
                  QFile::copy(QStringLiteral(FENNICK_EXECUTABLE), executable());
    }

    bool isValid() const { return m_valid; }

    // The sandbox's own folder; everything of a test lies below it.
    QString root() const { return m_folder.root(); }
    QString path(const QString& relative) const { return m_folder.path(relative); }
    QString appFolder() const { return m_folder.appFolder(); }
    QString executable() const { return appFolder() + QStringLiteral("Fennick"); }
    QString jobListPath(const QString& profileText) const {
        return appFolder() + profileText + QStringLiteral("copylist.txt");
    }

    // Creates a folder below the sandbox and returns its path (without a trailing "/").
    QString makeFolder(const QString& relative) const {
        QDir().mkpath(path(relative));
        return path(relative);
    }

    // Section "MSG" with the given Preview value and the three completion texts.
    void writeSettings(const QString& preview) const {
        const QString text =
            QStringLiteral("[MSG]\r\nPreview=%1\r\nCOPY=%2\r\nDEL=%3\r\nMOVE=%4\r\n")
                .arg(preview, kCopyDone, kDeleteDone, kMoveDone);
        writeFile(appFolder() + QStringLiteral("_Fennick.ini"), text.toUtf8());
    }

    // A job list file in UTF-8; a field is quoted when it holds a comma or starts or ends with a
    // blank, as the program's own writer does.
    void writeJobList(const QString& profileText, const QList<JobLine>& records,
                      const QByteArray& lineEnd = "\r\n") const {
        QByteArray content;
        for (const JobLine& record : records)
            content += (field(record.destination) + u',' + field(record.source)).toUtf8() + lineEnd;
        writeFile(jobListPath(profileText), content);
    }

    RunOutcome run(const QStringList& arguments, const RunOptions& options = {}) const {
        QProcess process;
        start(process, arguments, options);
        process.write(options.input);
        process.closeWriteChannel();
        RunOutcome outcome;
        if (!process.waitForFinished(60000)) {
            process.kill();
            process.waitForFinished();
            ADD_FAILURE() << "Fennick did not end by itself";
        }
        outcome.endedByItself = process.exitStatus() == QProcess::NormalExit;
        outcome.exitCode = process.exitCode();
        outcome.errors = QString::fromUtf8(process.readAllStandardError());
        return outcome;
    }

    // Starts the program without waiting for it, for tests that stop it midway.
    void start(QProcess& process, const QStringList& arguments,
               const RunOptions& options = {}) const {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "FENNICK_SHIFT", "QT_QPA_PLATFORM"})
            environment.remove(QString::fromLatin1(name));
        for (const QString& entry : options.environment)
            environment.insert(entry.section(u'=', 0, 0), entry.section(u'=', 1));
        process.setProcessEnvironment(environment);
        // The program must find its files through its own folder, not the current one.
        process.setWorkingDirectory(path(QStringLiteral("elsewhere")));
        if (options.childModifier)
            process.setChildProcessModifier(options.childModifier);
        if (options.wrapper.isEmpty())
            process.start(executable(), arguments);
        else
            process.start(options.wrapper.first(),
                          options.wrapper.mid(1) + QStringList{executable()} + arguments);
        if (!process.waitForStarted())
            ADD_FAILURE() << "cannot start " << executable().toStdString();
    }

  private:
    static QString field(const QString& text) {
        const bool quoted = text.contains(u',') || text.startsWith(u' ') || text.endsWith(u' ');
        return quoted ? u'"' + text + u'"' : text;
    }

    TemporaryAppFolder m_folder;
    bool m_valid = false;
};

} // namespace test_support
