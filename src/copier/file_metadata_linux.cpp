#include "copier/file_metadata.h"

#include <acl/libacl.h>
#include <attr/error_context.h>
#include <attr/libattr.h>
#include <sys/acl.h>
#include <sys/xattr.h>

#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace {

// Errors with which a file system, or the process's rights, refuse a change
// of attributes, or with which a target cannot hold an attribute's size.
bool isRefusal(int error) {
    return error == EPERM || error == EACCES || error == EOPNOTSUPP || error == ENOSYS ||
           error == EINVAL || error == E2BIG || error == ERANGE;
}

// Keeps the first error, other than a refusal, that the attribute libraries
// report; they go on with the other attributes after one fails.
struct FailureRecord : error_context {
    FailureRecord() : error_context{&FailureRecord::record, nullptr, nullptr} {}
    static void record(error_context* context, const char*, ...) {
        auto* self = static_cast<FailureRecord*>(context);
        if (self->failure == 0 && !isRefusal(errno))
            self->failure = errno;
    }
    bool failed() const {
        errno = failure;
        return failure != 0;
    }
    int failure = 0;
};

// The mode with group bits no wider than the owning group's ACL entry: what
// the group may do where the ACL itself cannot be stored. (The group bits of
// a file with an ACL are the ACL's mask, the most that any named user or
// group may do, not what the owning group may do.)
mode_t modeWithoutAcl(int source, mode_t mode) {
    const acl_t acl = acl_get_fd(source);
    if (acl == nullptr)
        return mode;
    acl_entry_t entry;
    for (int which = ACL_FIRST_ENTRY; acl_get_entry(acl, which, &entry) == 1;
         which = ACL_NEXT_ENTRY) {
        acl_tag_t tag;
        acl_permset_t permissions;
        if (acl_get_tag_type(entry, &tag) != 0 || tag != ACL_GROUP_OBJ ||
            acl_get_permset(entry, &permissions) != 0)
            continue;
        const mode_t group = (acl_get_perm(permissions, ACL_READ) == 1 ? S_IRGRP : 0) |
                             (acl_get_perm(permissions, ACL_WRITE) == 1 ? S_IWGRP : 0) |
                             (acl_get_perm(permissions, ACL_EXECUTE) == 1 ? S_IXGRP : 0);
        mode &= ~S_IRWXG | group;
    }
    acl_free(acl);
    return mode;
}

// Sets the mode; where the special bits are refused (FAT, exFAT), the mode
// without them.
bool changeMode(int fd, mode_t mode) {
    if (fchmod(fd, mode) == 0)
        return true;
    if (isRefusal(errno) && (mode & 07000) != 0 && fchmod(fd, mode & 0777) == 0)
        return true;
    return isRefusal(errno);
}

bool keepPermissions(const MetadataFiles& files) {
    const mode_t mode = files.sourceInfo.st_mode & 07777;
    if (!files.sourceHasAcl)
        return (files.copyInfo.st_mode & 07777) == mode || changeMode(files.copy, mode);
    FailureRecord failures;
    if (perm_copy_fd(files.sourcePath.constData(), files.source, files.copyPath.constData(),
                     files.copy, &failures) != 0) {
        if (failures.failed())
            return false;
        return changeMode(files.copy, modeWithoutAcl(files.source, mode));
    }
    // The library leaves out the set-user-ID, set-group-ID and sticky bits.
    return (mode & 07000) == 0 || changeMode(files.copy, mode);
}

// As a move on the command line: the owner and group where the process may
// set them, else the group alone where it may.
bool keepOwner(const MetadataFiles& files) {
    const struct stat& source = files.sourceInfo;
    if (source.st_uid == files.copyInfo.st_uid && source.st_gid == files.copyInfo.st_gid)
        return true;
    if (fchown(files.copy, source.st_uid, source.st_gid) == 0)
        return true;
    if (isRefusal(errno) && fchown(files.copy, uid_t(-1), source.st_gid) == 0)
        return true;
    return isRefusal(errno);
}

// user.* and security.*, less what the system's attribute rules leave out or
// count as permissions (the ACL, kept with them).
int isMovedAttribute(const char* name, error_context* context) {
    const bool userOrSecurity =
        std::strncmp(name, "user.", 5) == 0 || std::strncmp(name, "security.", 9) == 0;
    return userOrSecurity && attr_copy_action(name, context) == 0;
}

bool keepExtendedAttributes(const MetadataFiles& files) {
    FailureRecord failures;
    attr_copy_fd(files.sourcePath.constData(), files.source, files.copyPath.constData(), files.copy,
                 isMovedAttribute, &failures);
    return !failures.failed();
}

bool keepTimes(const MetadataFiles& files) {
    // Access and modification time, in the order futimens takes them.
    const decltype(files.sourceInfo.st_mtim) sourceTimes[2] = {files.sourceInfo.st_atim,
                                                               files.sourceInfo.st_mtim};
    return futimens(files.copy, sourceTimes) == 0 || isRefusal(errno);
}

} // namespace

// The owner first, because a change of owner clears the set-user-ID bit; the
// times last, after every change that could touch them.
bool keepAttributes(const MetadataFiles& files, KeptAttributes kept) {
    if (kept == KeptAttributes::OfAMove && !keepOwner(files))
        return false;
    if (!keepPermissions(files))
        return false;
    if (kept == KeptAttributes::OfAMove && !keepExtendedAttributes(files))
        return false;
    return keepTimes(files);
}

bool hasAcl(int fd) {
    return fgetxattr(fd, "system.posix_acl_access", nullptr, 0) > 0;
}

mode_t creationMode(const struct stat& source, bool sourceHasAcl) {
    return source.st_mode & (sourceHasAcl ? S_IRWXU : 0777);
}
