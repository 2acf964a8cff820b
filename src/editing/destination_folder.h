#pragma once

#include "common/result.h"

#include <QString>

class Pickers;

// Where the folder browser starts: the source file box's text, cut back to
// its folder when it names an existing file with a three-letter extension
// ("/data/list.txt" gives "/data/"). Anything else is passed on unchanged.
QString initialFolderFor(const QString& sourceBoxText);

struct DestinationPick {
    bool chosen = false; // false: the browser was cancelled, nothing changes
    QString folder;      // the folder chosen
    Result stored = Result::success();
};

// The destination browse button: lets the user choose the destination folder,
// starting from the source file box, and stores it for the profile at once.
// The chosen folder (empty after a cancel) becomes the last-used folder; a
// cancel leaves the box and the stored folder as they were.
DestinationPick pickDestinationFolder(Pickers& pickers, const QString& sourceBoxText, int profile);
