#pragma once

#include <QString>

// The outcome of an operation that can fail. A failure carries a message that
// a user can act on: what failed and where.
class Result {
  public:
    static Result success() { return Result(QString(), true); }
    static Result failure(const QString& message) { return Result(message, false); }

    bool ok() const { return m_ok; }
    const QString& error() const { return m_error; }

  private:
    Result(const QString& error, bool ok) : m_error(error), m_ok(ok) {}

    QString m_error;
    bool m_ok;
};
