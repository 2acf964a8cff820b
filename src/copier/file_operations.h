#pragma once

#include "common/result.h"
#include "copier/move_batch.h"

#include <QString>

class CopyProgress;

// The copies and moves of one run. Failures name the path concerned. One
// object serves one run: what it learns on the way (whether the last target
// existed) must not carry over into another.
class FileOperations {
  public:
    // `progress`, which may be null, hears how each file's copy advances and
    // may cancel it (see CopyProgress). `moveCompleted` hears of each move
    // across file systems when its source is gone.
    explicit FileOperations(CopyProgress* progress = nullptr,
                            MoveBatch::Completed moveCompleted = {});

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
    Result copyFile(const QString& source, const QString& target, Purpose purpose);

    CopyProgress* m_progress;
    bool m_lastTargetExisted = false;
    MoveBatch m_moves;
};

// Deletes one file (not a folder).
Result deleteFile(const QString& path);
