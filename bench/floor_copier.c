/* The floor of this machine for the benchmark: the least a copier can do per
 * file and still be safe (complete copies under their names only, times and
 * permission bits kept, no file replaced by a move, sources of a move across
 * file systems deleted only after their copies are on disk). It checks
 * nothing else. Built and run by bench/run_bench.py:
 *   floor_copier copy|move LIST DEST    LIST: one source path a line
 * Built with KEPT_CHECKS it also makes the calls that Fennick cannot leave out:
 * the look-up of the source's ACL, a size check of each copy, a look at an
 * existing target before it is replaced, and a look at a move's source (its
 * identity and whether it is read-only). Linked with Qt Core besides, it shows
 * the least that a program loading Qt Core and keeping these checks can do. */
#define _GNU_SOURCE
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

enum { kBatch = 1000 };

static void fail(const char *what, const char *path) {
    fprintf(stderr, "floor_copier: %s %s: %s\n", what, path, strerror(errno));
    exit(1);
}

static const char *nameOf(const char *path) {
    const char *slash = strrchr(path, '/');
    return slash ? slash + 1 : path;
}

/* Copies one file into the folder `dest`: an unnamed file (a named one where
 * the file system has none) linked under the name, or renamed over an
 * existing file. */
static void copyOne(const char *source, int dest) {
    const char *name = nameOf(source);
    const int in = open(source, O_RDONLY | O_CLOEXEC);
    struct stat info;
    if (in < 0 || fstat(in, &info) != 0)
        fail("open", source);
#ifdef KEPT_CHECKS
    char acl[64];
    (void)fgetxattr(in, "system.posix_acl_access", acl, sizeof acl);
#endif
    char temp[64] = "";
    int out = openat(dest, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, info.st_mode & 0777);
    if (out < 0) {
        snprintf(temp, sizeof temp, ".floor-%d.tmp", (int)getpid());
        out = openat(dest, temp, O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, info.st_mode & 0777);
    }
    if (out < 0)
        fail("create in", name);
    /* Between file systems of different kinds the kernel may refuse the offload. */
    char buffer[65536];
    for (off_t done = 0; done < info.st_size;) {
        ssize_t n = copy_file_range(in, NULL, out, NULL, info.st_size - done, 0);
        if (n < 0 && (errno == EXDEV || errno == EINVAL || errno == EOPNOTSUPP)) {
            n = read(in, buffer, sizeof buffer);
            if (n > 0 && write(out, buffer, n) != n)
                n = -1;
        }
        if (n <= 0)
            fail("copy", source);
        done += n;
    }
#ifdef KEPT_CHECKS
    struct stat copied;
    if (fstat(out, &copied) != 0 || copied.st_size != info.st_size)
        fail("size of", name);
#endif
    /* The times in the stat structure's own type, as futimens takes them. */
    const __typeof__(info.st_mtim) times[2] = {info.st_atim, info.st_mtim};
    if (futimens(out, times) != 0 || fchmod(out, info.st_mode & 07777) != 0)
        fail("attributes of", name);
    if (temp[0] == '\0') {
        char handle[32];
        snprintf(handle, sizeof handle, "/proc/self/fd/%d", out);
        if (linkat(AT_FDCWD, handle, dest, name, AT_SYMLINK_FOLLOW) != 0) {
            snprintf(temp, sizeof temp, ".floor-%d.tmp", (int)getpid());
#ifdef KEPT_CHECKS
            struct stat existing;
            if (errno == EEXIST && fstatat(dest, name, &existing, AT_SYMLINK_NOFOLLOW) != 0)
                fail("look at", name);
            errno = EEXIST;
#endif
            if (errno != EEXIST || linkat(AT_FDCWD, handle, dest, temp, AT_SYMLINK_FOLLOW) != 0)
                fail("link", name);
        }
    }
    if (close(out) != 0 || (temp[0] != '\0' && renameat(dest, temp, dest, name) != 0))
        fail("name", name);
    close(in);
}

/* The copies of a batch and their folder entries reach the disk before any
 * of the batch's sources is deleted. */
static void finishBatch(char **sources, int count, int dest) {
    if (count == 0)
        return;
    if (syncfs(dest) != 0 || fsync(dest) != 0)
        fail("flush", "destination");
    for (int i = 0; i < count; ++i) {
        if (unlink(sources[i]) != 0)
            fail("unlink", sources[i]);
        free(sources[i]);
    }
}

int main(int argc, char **argv) {
    if (argc != 4 || (strcmp(argv[1], "copy") != 0 && strcmp(argv[1], "move") != 0)) {
        fprintf(stderr, "usage: floor_copier copy|move LIST DEST\n");
        return 2;
    }
    const int move = strcmp(argv[1], "move") == 0;
    FILE *list = fopen(argv[2], "r");
    const int dest = open(argv[3], O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (list == NULL || dest < 0)
        fail("open", list == NULL ? argv[2] : argv[3]);
    char *line = NULL, *batch[kBatch];
    size_t size = 0;
    int pending = 0;
    for (ssize_t length; (length = getline(&line, &size, list)) > 0;) {
        if (line[length - 1] == '\n')
            line[length - 1] = '\0';
        if (!move) {
            copyOne(line, dest);
            continue;
        }
#ifdef KEPT_CHECKS
        struct stat entry;
        if (lstat(line, &entry) != 0)
            fail("look at", line);
#endif
        if (renameat2(AT_FDCWD, line, dest, nameOf(line), RENAME_NOREPLACE) == 0)
            continue;
        if (errno != EXDEV)
            fail("rename", line);
        copyOne(line, dest);
        batch[pending++] = strdup(line);
        if (pending == kBatch) {
            finishBatch(batch, pending, dest);
            pending = 0;
        }
    }
    finishBatch(batch, pending, dest);
    free(line);
    return 0;
}
