// Preloaded into the program by tests (LD_PRELOAD) to make file systems refuse what the
// machine's own would allow, and to record the order of the calls that make a move durable.
//   FENNICK_REFUSE="fchmod=EPERM,fsetxattr=EOPNOTSUPP,copy_file_range=0"
//     the named calls fail with that error; "0" makes a read or copy return 0 (an early end)
//   FENNICK_CALL_LOG=<file>   appends "fsync-file", "fsync-folder", "syncfs", "rename", "link"
//     and "unlink" lines, one per call

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr int kReturnZero = -1;

// The error to fail the call with, kReturnZero for an early end, or 0 to let it through.
int refusalFor(const char* call) {
    const char* rules = std::getenv("FENNICK_REFUSE");
    if (rules == nullptr)
        return 0;
    const std::string text = std::string(",") + rules + ",";
    const size_t at = text.find(std::string(",") + call + "=");
    if (at == std::string::npos)
        return 0;
    const size_t start = at + std::strlen(call) + 2;
    const std::string value = text.substr(start, text.find(',', start) - start);
    static const struct {
        const char* name;
        int error;
    } kErrors[] = {{"0", kReturnZero}, {"EPERM", EPERM},  {"EOPNOTSUPP", EOPNOTSUPP},
                   {"ENOSYS", ENOSYS}, {"EXDEV", EXDEV},  {"EINVAL", EINVAL},
                   {"EIO", EIO},       {"EACCES", EACCES}};
    for (const auto& known : kErrors) {
        if (value == known.name)
            return known.error;
    }
    return EIO;
}

void logCall(const char* what) {
    const char* log = std::getenv("FENNICK_CALL_LOG");
    if (log == nullptr)
        return;
    if (FILE* file = std::fopen(log, "a")) {
        std::fprintf(file, "%s\n", what);
        std::fclose(file);
    }
}

template <typename Function> Function next(const char* name) {
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

} // namespace

// Calls that fail, or end early, when asked to: an early end returns 0, a refusal -1.
#define REFUSABLE(call)                                                                            \
    if (const int refusal = refusalFor(call)) {                                                    \
        if (refusal == kReturnZero)                                                                \
            return 0;                                                                              \
        errno = refusal;                                                                           \
        return -1;                                                                                 \
    }

extern "C" {

int fchmod(int fd, mode_t mode) {
    REFUSABLE("fchmod");
    return next<int (*)(int, mode_t)>("fchmod")(fd, mode);
}

int fchown(int fd, uid_t owner, gid_t group) {
    REFUSABLE("fchown");
    return next<int (*)(int, uid_t, gid_t)>("fchown")(fd, owner, group);
}

int fsetxattr(int fd, const char* name, const void* value, size_t size, int flags) {
    REFUSABLE("fsetxattr");
    return next<int (*)(int, const char*, const void*, size_t, int)>("fsetxattr")(fd, name, value,
                                                                                  size, flags);
}

// A file's time as the stat structure holds it.
using FileTime = decltype(stat::st_mtim);

int futimens(int fd, const FileTime* accessAndModification) {
    REFUSABLE("futimens");
    return next<int (*)(int, const FileTime*)>("futimens")(fd, accessAndModification);
}

ssize_t copy_file_range(int in, off64_t* inOffset, int out, off64_t* outOffset, size_t length,
                        unsigned flags) {
    REFUSABLE("copy_file_range");
    return next<ssize_t (*)(int, off64_t*, int, off64_t*, size_t, unsigned)>("copy_file_range")(
        in, inOffset, out, outOffset, length, flags);
}

ssize_t pread64(int fd, void* buffer, size_t size, off64_t offset) {
    REFUSABLE("pread");
    return next<ssize_t (*)(int, void*, size_t, off64_t)>("pread64")(fd, buffer, size, offset);
}

ssize_t pread(int fd, void* buffer, size_t size, off_t offset) {
    return pread64(fd, buffer, size, offset);
}

int fsync(int fd) {
    struct stat status;
    logCall(fstat(fd, &status) == 0 && S_ISDIR(status.st_mode) ? "fsync-folder" : "fsync-file");
    return next<int (*)(int)>("fsync")(fd);
}

// Refused, the file system's kind is unknown, and each copy is flushed on its own.
int fstatfs(int fd, struct statfs* info) {
    REFUSABLE("fstatfs");
    return next<int (*)(int, struct statfs*)>("fstatfs")(fd, info);
}

int syncfs(int fd) {
    logCall("syncfs");
    return next<int (*)(int)>("syncfs")(fd);
}

int linkat(int fromFolder, const char* from, int toFolder, const char* to, int flags) {
    logCall("link");
    return next<int (*)(int, const char*, int, const char*, int)>("linkat")(fromFolder, from,
                                                                            toFolder, to, flags);
}

int rename(const char* from, const char* to) {
    logCall("rename");
    return next<int (*)(const char*, const char*)>("rename")(from, to);
}

int unlink(const char* path) {
    logCall("unlink");
    return next<int (*)(const char*)>("unlink")(path);
}

} // extern "C"
