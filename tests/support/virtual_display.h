#pragma once

#include <QProcess>
#include <QStandardPaths>

namespace test_support {

// Runs a virtual X server for the test and points DISPLAY at it.
class VirtualDisplay {
  public:
    bool start() {
        const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
        if (xvfb.isEmpty())
            return false;
        // -displayfd makes the server pick a free display and print its number.
        m_server.start(xvfb, {QStringLiteral("-displayfd"), QStringLiteral("1"),
                              QStringLiteral("-nolisten"), QStringLiteral("tcp")});
        if (!m_server.waitForReadyRead(10000))
            return false;
        const QByteArray number = m_server.readLine().trimmed();
        m_name = ":" + number;
        qputenv("DISPLAY", m_name);
        return !number.isEmpty();
    }
    // The display's name, ":<number>", once started.
    QByteArray name() const { return m_name; }

    ~VirtualDisplay() {
        qunsetenv("DISPLAY");
        // A server ended by SIGTERM removes its lock file and socket; one that is
        // killed leaves them behind, and the next server started at the same time
        // as another can then be handed a display that does not answer.
        m_server.terminate();
        if (!m_server.waitForFinished(5000)) {
            m_server.kill();
            m_server.waitForFinished();
        }
    }

  private:
    QProcess m_server;
    QByteArray m_name;
};

} // namespace test_support
