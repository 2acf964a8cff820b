#pragma once

#include "common/result.h"
#include "copier/move_batch.h"
#include "copier/target_guard.h"

#include <QByteArray>
#include <QString>

#include <optional>
#include <set>
#include <utility>
#include <vector>

class CopyProgress;
class TemporaryFile;

// The copies and moves of one run. Failures name the path concerned. One
// object serves one run: what it learns on the way (whether the last target
// existed, which file systems refuse what) must not carry over into another.
class FileOperations {
  public:
    // `guard` is asked before an existing target is replaced or a source is
    // moved, and hears of every file written. `progress`, which may be null,
    // hears how each file's copy advances and may cancel it (see CopyProgress).
    // With `verify`, each copy (a move's across file systems too) is read back
    // before it takes its name and must hash as its source did (see
    // verified_copy.h); it is never a clone. `moveCompleted` hears of each move
    // across file systems when its source is gone.
    explicit FileOperations(TargetGuard& guard, CopyProgress* progress = nullptr,
                            bool verify = false, MoveBatch::Completed moveCompleted = {});

    // The hash of the last file copied or moved, as checked ("xxh128:" and
    // 32 hexadecimal digits), or empty when it was not checked.
    const QByteArray& checkedHash() const { return m_checkedHash; }

    // Copies one file to a target path, replacing an existing file there.
    // The copy keeps the source's times and permissions (ACL included) and
    // its holes. The data goes to a temporary file in the target's folder
    // that takes the target's name only when complete and as large as the
    // source, so a failure or a killed process never leaves a partly written
    // file under that name, and an old file stays as it was. A target that
    // is the source itself, by any path, is refused.
    Result copyFile(const QString& source, const QString& target);

    // Moves one file to a target path, replacing an existing file there.
    // Within one file system the file is renamed; otherwise it is copied,
    // keeping also its owner and extended attributes where the target allows
    // them, and the source waits in a batch (see MoveBatch) until the copy and
    // its folder entry are flushed to disk; only then it is deleted. The
    // batch is finished first when this move touches a path that waits in it.
    Result moveFile(const QString& source, const QString& target);

    // Whether the move of this source waits for its source to be deleted.
    bool isMoveWaiting(const QString& source) const { return m_moves.holdsSource(source); }

    // Completes the waiting moves: see MoveBatch::finish().
    Result finishMoves() { return m_moves.finish(); }

  private:
    enum class Purpose { Copy, Move };
    // With the source's and the target's bytes in m_sourceName, m_targetName.
    Result copyEncoded(const QString& source, const QString& target, Purpose purpose);
    const QByteArray& targetFolderName();
    Result putInPlace(TemporaryFile& temporary, const QString& target, WrittenFile file);
    std::optional<Result> renameFile(const QString& source, const QString& target,
                                     const struct stat& sourceInfo);
    Result checkExisting(const QString& target, const QByteArray& targetName,
                         const struct stat& entry, const FileId& source);
    std::optional<dev_t> folderDevice(const QString& folder);
    bool isKnownCrossDevice(dev_t source, const QString& target);

    TargetGuard& m_guard;
    CopyProgress* m_progress;
    bool m_verify;
    QByteArray m_checkedHash;
    // The file system's bytes of the current source, target and target's
    // folder, kept from file to file so that encoding them allocates nothing.
    QByteArray m_sourceName;
    QByteArray m_targetName;
    QByteArray m_targetFolderName;
    bool m_lastTargetExisted = false;
    // File systems that cannot rename without replacing (some FUSE ones).
    std::vector<dev_t> m_devicesWithoutNoReplace;
    // Pairs of file systems between which a rename failed (EXDEV), and the
    // device of the last target folder looked up for them.
    std::set<std::pair<dev_t, dev_t>> m_crossDevices;
    QString m_lastFolder;
    dev_t m_lastFolderDevice = 0;
    MoveBatch m_moves;
};

// Deletes one file (not a folder).
Result deleteFile(const QString& path);
