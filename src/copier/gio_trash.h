#pragma once

#include <QByteArray>
#include <QString>

// How GIO's trash ended for one file.
struct GioTrashOutcome {
    bool trashed = false;
    // GIO has no trash for the file where it lies (a system-internal mount
    // such as tmpfs, a trash folder that is not the user's own, a file system
    // that cannot hold one); the caller finds out which.
    bool unsupported = false;
    QString why; // any other failure: a Japanese sentence, without the path
};

// The desktop trash of GIO (libgio-2.0), the library that file managers use.
// The library is loaded when a run first trashes a file, so that every other
// run starts without it; once loaded it stays, since GLib's types cannot be
// unloaded. Files are reached through GIO's local file system only, so no
// other module of GIO is loaded. GIO's own messages never reach standard
// error.
class GioTrash {
  public:
    GioTrash();
    GioTrash(const GioTrash&) = delete;
    GioTrash& operator=(const GioTrash&) = delete;

    // Empty when the library is there; otherwise a Japanese sentence.
    const QString& whyNotLoaded() const { return m_whyNotLoaded; }

    // Moves one file into the trash that GIO chooses for it.
    GioTrashOutcome trash(const QByteArray& path) const;

    // The home folder and the home trash ($XDG_DATA_HOME/Trash) as GIO sees them.
    QByteArray homeFolder() const;
    QByteArray homeTrash() const;

    // Whether GIO counts the file system mounted at a folder as one of the
    // system's own (tmpfs, /proc, ...), where it never makes a trash.
    bool isSystemInternalMount(const QByteArray& mountPoint) const;

  private:
    template <typename Function> Function* function(const char* name) const;

    void* m_library = nullptr;
    QString m_whyNotLoaded;
};
