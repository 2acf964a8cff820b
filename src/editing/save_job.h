#pragma once

#include <QString>
#include <QStringList>

class Prompter;

// The save-job button: writes the selected entries of the file list as the
// profile's job list file, each with the destination folder box's folder,
// and says whether it worked. An empty destination folder box, an entry the
// file cannot hold or a failed write leave the old file as it was.
void saveJob(Prompter& prompter, int profile, const QString& destinationBoxText,
             const QStringList& selectedEntries);
