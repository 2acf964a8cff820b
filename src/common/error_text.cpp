#include "common/error_text.h"

#include <cerrno>
#include <cstring>

QString errorSentence(ErrorKind kind) {
    switch (kind) {
    case ErrorKind::FileNotFound:
        return QStringLiteral("ファイルが見つかりません");
    case ErrorKind::PathNotFound:
        return QStringLiteral("パスが見つかりません");
    case ErrorKind::AccessDenied:
        return QStringLiteral("アクセスが拒否されました");
    case ErrorKind::DiskFull:
        return QStringLiteral("ディスクの空き領域が不足しています");
    case ErrorKind::FileTooLarge:
        return QStringLiteral("ファイルが大きすぎます");
    case ErrorKind::ReadOnlyFileSystem:
        return QStringLiteral("書き込みできないファイルシステムです");
    case ErrorKind::IsAFolder:
        return QStringLiteral("ファイルではなくフォルダーです");
    case ErrorKind::NameTooLong:
        return QStringLiteral("ファイル名が長すぎます");
    case ErrorKind::InputOutput:
        return QStringLiteral("デバイスの入出力エラーが発生しました");
    case ErrorKind::FileInUse:
        return QStringLiteral("ファイルは使用中です");
    case ErrorKind::BadFileName:
        return QStringLiteral("ファイル名が正しくありません");
    case ErrorKind::SameFile:
        return QStringLiteral("コピー元とコピー先が同じファイルです");
    case ErrorKind::CopyIncomplete:
        return QStringLiteral("コピー元のファイルを最後まで読み取れませんでした");
    case ErrorKind::CopyDiffers:
        return QStringLiteral(
            "コピーを読み返した内容がコピー元と一致しません（コピー先の名前には置いていません）");
    case ErrorKind::TypeMismatch:
        return QStringLiteral("型が一致しません");
    case ErrorKind::BadRecord:
        return QStringLiteral("ジョブリストの行を読み取れません");
    case ErrorKind::NotAnOrdinaryFile:
        return QStringLiteral("通常のファイルではありません");
    case ErrorKind::ReadOnlyFile:
        return QStringLiteral("読み取り専用のファイルです");
    case ErrorKind::WrittenByThisRun:
        return QStringLiteral("同じ名前のファイルをこの実行で既に別のファイルから書き込んでいます");
    case ErrorKind::NoAnswer:
        return QStringLiteral("確認に応答がなかったため、実行を中止しました");
    case ErrorKind::UnfaithfulText:
        return QStringLiteral("文字コードを正しく読み取れないファイルは書き換えません");
    case ErrorKind::SourceReplaced:
        return QStringLiteral(
            "移動を待つ間に移動元のファイルが置き換えられたため、削除しませんでした");
    case ErrorKind::Other:
        break;
    }
    return QStringLiteral("エラーが発生しました");
}

QString describeError(ErrorKind kind, const QString& path) {
    const QString sentence = errorSentence(kind);
    return path.isEmpty() ? sentence : sentence + QStringLiteral(": ") + path;
}

ErrorKind errorKindFromErrno(int errnum) {
    switch (errnum) {
    case ENOENT:
        return ErrorKind::FileNotFound;
    case ENOTDIR:
        return ErrorKind::PathNotFound;
    case EACCES:
    case EPERM:
        return ErrorKind::AccessDenied;
    case ENOSPC:
    case EDQUOT:
        return ErrorKind::DiskFull;
    case EFBIG:
        return ErrorKind::FileTooLarge;
    case EROFS:
        return ErrorKind::ReadOnlyFileSystem;
    case EISDIR:
        return ErrorKind::IsAFolder;
    case ENAMETOOLONG:
        return ErrorKind::NameTooLong;
    case EIO:
        return ErrorKind::InputOutput;
    case EBUSY:
    case ETXTBSY:
        return ErrorKind::FileInUse;
    case EINVAL:
    case EILSEQ:
        return ErrorKind::BadFileName;
    default:
        return ErrorKind::Other;
    }
}

QString describeErrno(int errnum, const QString& path) {
    const ErrorKind kind = errorKindFromErrno(errnum);
    if (kind != ErrorKind::Other)
        return describeError(kind, path);
    const QString sentence = errorSentence(kind) + QStringLiteral("（") +
                             QString::fromLocal8Bit(std::strerror(errnum)) + QStringLiteral("）");
    return path.isEmpty() ? sentence : sentence + QStringLiteral(": ") + path;
}
