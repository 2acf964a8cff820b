// GLib's headers name struct members "signals", which Qt's headers define as
// a keyword, so they come before any of Qt.
#include <gio/gio.h>
#include <gio/gunixmounts.h>

#include "copier/gio_trash.h"

#include "common/error_text.h"

#include <cerrno>
#include <cstring>
#include <dlfcn.h>

namespace {

constexpr char kLibrary[] = "libgio-2.0.so.0";

// GIO's error codes in the program's own words.
ErrorKind errorKindOf(int code) {
    switch (code) {
    case G_IO_ERROR_NOT_FOUND:
        return ErrorKind::FileNotFound;
    case G_IO_ERROR_PERMISSION_DENIED:
        return ErrorKind::AccessDenied;
    case G_IO_ERROR_NO_SPACE:
        return ErrorKind::DiskFull;
    case G_IO_ERROR_READ_ONLY:
        return ErrorKind::ReadOnlyFileSystem;
    case G_IO_ERROR_FILENAME_TOO_LONG:
        return ErrorKind::NameTooLong;
    case G_IO_ERROR_INVALID_FILENAME:
        return ErrorKind::BadFileName;
    case G_IO_ERROR_IS_DIRECTORY:
        return ErrorKind::IsAFolder;
    case G_IO_ERROR_BUSY:
        return ErrorKind::FileInUse;
    default:
        return ErrorKind::Other;
    }
}

// GIO reports some system errors (a disk quota, an input/output error) only
// as "failed", with the system's text for the error at the end of its
// message; that text tells which error it was. 0 when none matches.
int errnoAtEndOf(const QString& message) {
    for (int errnum = 1; errnum <= EHWPOISON; ++errnum) {
        if (message.endsWith(QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(errnum))))
            return errnum;
    }
    return 0;
}

void dropMessage(const gchar*, GLogLevelFlags, const gchar*, gpointer) {}

} // namespace

GioTrash::GioTrash() {
    // A library loaded already is found again; nothing is loaded twice.
    m_library = dlopen(kLibrary, RTLD_NOW | RTLD_LOCAL);
    if (m_library == nullptr)
        m_whyNotLoaded = QStringLiteral("ごみ箱を扱うライブラリ %1 を読み込めません（%2）")
                             .arg(QLatin1String(kLibrary), QString::fromLocal8Bit(dlerror()));
}

// A function of GIO or of the GLib libraries it uses.
template <typename Function> Function* GioTrash::function(const char* name) const {
    return reinterpret_cast<Function*>(dlsym(m_library, name));
}

GioTrashOutcome GioTrash::trash(const QByteArray& path) const {
    const auto local = function<decltype(g_vfs_get_local)>("g_vfs_get_local");
    const auto fileFor = function<decltype(g_vfs_get_file_for_path)>("g_vfs_get_file_for_path");
    const auto trashFile = function<decltype(g_file_trash)>("g_file_trash");
    const auto unref = function<decltype(g_object_unref)>("g_object_unref");
    const auto errorDomain = function<decltype(g_io_error_quark)>("g_io_error_quark");
    const auto freeError = function<decltype(g_error_free)>("g_error_free");
    const auto setLogHandler =
        function<decltype(g_log_set_default_handler)>("g_log_set_default_handler");

    // GLib writes its warnings to standard error unless a handler takes them.
    const GLogFunc oldHandler = setLogHandler(dropMessage, nullptr);
    GFile* file = fileFor(local(), path.constData());
    GError* error = nullptr;
    GioTrashOutcome outcome;
    outcome.trashed = trashFile(file, nullptr, &error);
    unref(file);
    setLogHandler(oldHandler, nullptr);
    if (error == nullptr)
        return outcome;
    const bool ioError = error->domain == errorDomain();
    outcome.unsupported = ioError && error->code == G_IO_ERROR_NOT_SUPPORTED;
    const QString message = QString::fromUtf8(error->message);
    ErrorKind kind = ioError ? errorKindOf(error->code) : ErrorKind::Other;
    if (kind == ErrorKind::Other)
        kind = errorKindFromErrno(errnoAtEndOf(message));
    outcome.why = errorSentence(kind);
    // A folder of the trash (Trash, files, info) that is a file instead.
    if (ioError && error->code == G_IO_ERROR_NOT_DIRECTORY)
        outcome.why = QStringLiteral("ごみ箱のフォルダーがあるべき場所にファイルがあります");
    // A failure the program has no words for keeps GIO's own text, as an
    // unknown system error keeps the system's.
    else if (kind == ErrorKind::Other)
        outcome.why += QStringLiteral("（%1）").arg(message);
    freeError(error);
    return outcome;
}

QByteArray GioTrash::homeFolder() const {
    return function<decltype(g_get_home_dir)>("g_get_home_dir")();
}

QByteArray GioTrash::homeTrash() const {
    return QByteArray(function<decltype(g_get_user_data_dir)>("g_get_user_data_dir")()) + "/Trash";
}

bool GioTrash::isSystemInternalMount(const QByteArray& mountPoint) const {
    const auto mountAt = function<decltype(g_unix_mount_at)>("g_unix_mount_at");
    const auto isInternal =
        function<decltype(g_unix_mount_is_system_internal)>("g_unix_mount_is_system_internal");
    const auto freeMount = function<decltype(g_unix_mount_free)>("g_unix_mount_free");
    GUnixMountEntry* mount = mountAt(mountPoint.constData(), nullptr);
    const bool internal = mount == nullptr || isInternal(mount);
    if (mount != nullptr)
        freeMount(mount);
    return internal;
}
