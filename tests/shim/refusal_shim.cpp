// Preloaded into the program by tests (LD_PRELOAD) to make file systems refuse what the
// machine's own would allow, and to record the order of the calls that make a move durable.
//   FENNICK_REFUSE="fchmod=EPERM,fsetxattr=EOPNOTSUPP,copy_file_range=0"
//     the named calls fail with that error; "0" makes a read or copy return 0 (an early end);
//     "O_TMPFILE=EOPNOTSUPP,renameat2=EINVAL" is a file system (FUSE) that has neither;
//     "fstatfs=EIO" hides the kind of file system
//   FENNICK_CALL_LOG=<file>   appends "fsync-file", "fsync-folder", "syncfs", "rename", "link"
//     and "unlink" lines, one per call
//   FENNICK_CORRUPT_INTO=<folder>   data on its way into a file in that folder (through write,
//     pwrite, copy_file_range or a clone, also into an unnamed O_TMPFILE file there) arrives
//     with the first byte of each block flipped, as from a faulty disk or cable

#include <dlfcn.h>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

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

// Whether the descriptor is a file in the folder of FENNICK_CORRUPT_INTO. Its /proc link names
// the folder also for an unnamed file ("<folder>/#1234 (deleted)").
bool corruptedOnTheWay(int fd) {
    const char* folder = std::getenv("FENNICK_CORRUPT_INTO");
    if (folder == nullptr || *folder == 0)
        return false;
    char link[4096];
    const std::string handle = "/proc/self/fd/" + std::to_string(fd);
    const ssize_t size = readlink(handle.c_str(), link, sizeof link - 1);
    if (size <= 0)
        return false;
    const std::string path(link, size_t(size));
    const std::string prefix = std::string(folder) + "/";
    return path.compare(0, prefix.size(), prefix) == 0 &&
           path.find('/', prefix.size()) == std::string::npos;
}

// The block as it arrives: its first byte flipped.
std::vector<char> damaged(const void* data, size_t size) {
    std::vector<char> copy(static_cast<const char*>(data), static_cast<const char*>(data) + size);
    if (size > 0)
        copy[0] = char(~copy[0]);
    return copy;
}

ssize_t realPwrite(int fd, const void* data, size_t size, off64_t offset) {
    return next<ssize_t (*)(int, const void*, size_t, off64_t)>("pwrite64")(fd, data, size, offset);
}

// A kernel copy or clone into the folder done by reading and writing, damaged on the way.
// Offsets are those given, or the files' own positions when none are.
ssize_t damagedCopy(int in, off64_t* inOffset, int out, off64_t* outOffset, size_t length) {
    std::vector<char> buffer(std::min<size_t>(length, 1 << 20));
    const off64_t from = inOffset ? *inOffset : lseek(in, 0, SEEK_CUR);
    const off64_t to = outOffset ? *outOffset : lseek(out, 0, SEEK_CUR);
    const ssize_t got = pread64(in, buffer.data(), buffer.size(), from);
    if (got <= 0)
        return got;
    const ssize_t written =
        realPwrite(out, damaged(buffer.data(), size_t(got)).data(), size_t(got), to);
    if (written <= 0)
        return written;
    for (auto [offset, fd] : {std::pair{inOffset, in}, std::pair{outOffset, out}}) {
        if (offset)
            *offset += written;
        else
            lseek(fd, written, SEEK_CUR);
    }
    return written;
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
    if (corruptedOnTheWay(out))
        return damagedCopy(in, inOffset, out, outOffset, length);
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

ssize_t pwrite64(int fd, const void* data, size_t size, off64_t offset) {
    if (corruptedOnTheWay(fd))
        return realPwrite(fd, damaged(data, size).data(), size, offset);
    return realPwrite(fd, data, size, offset);
}

ssize_t pwrite(int fd, const void* data, size_t size, off_t offset) {
    return pwrite64(fd, data, size, offset);
}

ssize_t write(int fd, const void* data, size_t size) {
    const auto realWrite = next<ssize_t (*)(int, const void*, size_t)>("write");
    if (corruptedOnTheWay(fd))
        return realWrite(fd, damaged(data, size).data(), size);
    return realWrite(fd, data, size);
}

// A clone into the folder is a damaged copy of the whole source.
int ioctl(int fd, unsigned long request, ...) {
    va_list arguments;
    va_start(arguments, request);
    void* argument = va_arg(arguments, void*);
    va_end(arguments);
    if (request == FICLONE && corruptedOnTheWay(fd)) {
        const int source = int(reinterpret_cast<intptr_t>(argument));
        off64_t from = 0;
        off64_t to = 0;
        ssize_t copied;
        while ((copied = damagedCopy(source, &from, fd, &to, 1 << 20)) > 0) {
        }
        return copied < 0 ? -1 : 0;
    }
    return next<int (*)(int, unsigned long, void*)>("ioctl")(fd, request, argument);
}

int fsync(int fd) {
    struct stat status;
    logCall(fstat(fd, &status) == 0 && S_ISDIR(status.st_mode) ? "fsync-folder" : "fsync-file");
    return next<int (*)(int)>("fsync")(fd);
}

int renameat2(int fromFolder, const char* from, int toFolder, const char* to, unsigned flags) {
    REFUSABLE("renameat2");
    return next<int (*)(int, const char*, int, const char*, unsigned)>("renameat2")(
        fromFolder, from, toFolder, to, flags);
}

// open and open64 take a mode only with O_CREAT or O_TMPFILE.
#define OPEN_REFUSING_TMPFILE(call)                                                                \
    int call(const char* path, int flags, ...) {                                                   \
        mode_t mode = 0;                                                                           \
        if ((flags & O_CREAT) != 0 || (flags & O_TMPFILE) == O_TMPFILE) {                          \
            va_list arguments;                                                                     \
            va_start(arguments, flags);                                                            \
            mode = va_arg(arguments, mode_t);                                                      \
            va_end(arguments);                                                                     \
        }                                                                                          \
        if ((flags & O_TMPFILE) == O_TMPFILE) {                                                    \
            REFUSABLE("O_TMPFILE");                                                                \
        }                                                                                          \
        return next<int (*)(const char*, int, ...)>(#call)(path, flags, mode);                     \
    }
OPEN_REFUSING_TMPFILE(open)
OPEN_REFUSING_TMPFILE(open64)

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
