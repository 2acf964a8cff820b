#pragma once

#include <QByteArray>

#include <sys/stat.h>

// Which of the source's attributes a new file takes over: a copy keeps the
// permissions (with the ACL and the set-user-ID, set-group-ID and sticky
// bits) and the times; a move keeps the owner and group, where the process
// may set them, and the extended attributes `user.*` and `security.*` too.
enum class KeptAttributes { OfACopy, OfAMove };

struct MetadataFiles {
    int source;
    QByteArray sourcePath; // for the libraries' messages only
    const struct stat& sourceInfo;
    bool sourceHasAcl; // see hasAcl()
    int copy;
    QByteArray copyPath;
    const struct stat& copyInfo; // the new file after its data was written
};

// Gives the new file the source's attributes, after its data was written.
// A change that the target's file system or the process's rights refuse
// (FAT, exFAT, NTFS through FUSE, network file systems) is left out, as a
// move on the command line does; the group never gets more than the
// source's ACL grants it, even where the ACL cannot be stored. Returns false
// with errno set only for a failure that is not such a refusal (an I/O
// error, a full disk).
bool keepAttributes(const MetadataFiles& files, KeptAttributes kept);

// Whether an open file has an access ACL. Most files have none, and their
// permissions are copied without the ACL library.
bool hasAcl(int fd);

// The permission bits a new file is created with before its attributes are
// set: the source's own, or the owner's only where the source has an ACL, so
// that its group bits (the ACL's mask) give nobody more than the ACL does
// while the data is written.
mode_t creationMode(const struct stat& source, bool sourceHasAcl);
