#pragma once

#include <QString>

// The outcome of an operation that can fail. A failure carries a message that
// a user can act on: what failed and where. A cancelled operation (the user
// asked to stop) is not ok either, but has no message to show.
class Result {
  public:
    static Result success() { return Result(QString(), Outcome::Success); }
    static Result failure(const QString& message) { return Result(message, Outcome::Failure); }
    static Result cancelled() { return Result(QString(), Outcome::Cancelled); }

    bool ok() const { return m_outcome == Outcome::Success; }
    bool isCancelled() const { return m_outcome == Outcome::Cancelled; }
    const QString& error() const { return m_error; }

  private:
    enum class Outcome { Success, Failure, Cancelled };
    Result(const QString& error, Outcome outcome) : m_error(error), m_outcome(outcome) {}

    QString m_error;
    Outcome m_outcome;
};

// What an operation that can fail makes: the value, which counts only when the
// status is ok.
template <typename T> struct Produced {
    Result status = Result::success();
    T value{};
};
