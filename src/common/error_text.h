#pragma once

#include <QString>

// The kinds of error a user is told about. Each has a short Japanese sentence;
// the message names the path involved after it.
enum class ErrorKind {
    FileNotFound,
    PathNotFound,
    AccessDenied,
    DiskFull,
    FileTooLarge,
    ReadOnlyFileSystem,
    IsAFolder,
    NameTooLong,
    InputOutput,
    FileInUse,
    BadFileName,
    SameFile,
    CopyIncomplete,
    CopyDiffers,
    TypeMismatch,
    BadRecord,
    NotAnOrdinaryFile,
    ReadOnlyFile,
    WrittenByThisRun,
    NoAnswer,
    UnfaithfulText,
    SourceReplaced,
    Other,
};

// The sentence for one kind of error, without the path.
QString errorSentence(ErrorKind kind);

// "<sentence>: <path>", or the sentence alone when there is no path.
QString describeError(ErrorKind kind, const QString& path);

// The kind of error an errno value stands for.
ErrorKind errorKindFromErrno(int errnum);

// describeError for an errno value; unknown values keep the system's own text.
QString describeErrno(int errnum, const QString& path);
