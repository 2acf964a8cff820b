#include "copier/temporary_file.h"

#include "copier/file_paths.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <iterator>
#include <unistd.h>

namespace {

constexpr char kTemporaryPrefix[] = ".fennick-";

// The process id, read once, keeps the names of runs at once apart; a name
// left by an earlier process with the same id is skipped (O_EXCL).
QByteArray temporaryNameIn(const QByteArray& folder) {
    static const QByteArray process = kTemporaryPrefix + QByteArray::number(getpid()) + '-';
    static std::atomic<unsigned> counter{0};
    const QByteArray number = QByteArray::number(counter++);
    QByteArray name;
    name.reserve(folder.size() + process.size() + number.size() + 5);
    return name.append(folder).append('/').append(process).append(number).append(".tmp");
}

// The name through which an open file, with or without a name of its own,
// can be linked into a folder. Written by hand: a formatted print costs more
// than the rest of naming the file.
struct DescriptorPath {
    explicit DescriptorPath(int fd) {
        constexpr char kFolder[] = "/proc/self/fd/";
        char digits[12];
        char* first = std::end(digits);
        unsigned number = unsigned(fd);
        do {
            *--first = char('0' + number % 10);
            number /= 10;
        } while (number != 0);
        char* out = std::copy(std::begin(kFolder), std::end(kFolder) - 1, text);
        *std::copy(first, std::end(digits), out) = '\0';
    }
    char text[32];
};

} // namespace

TemporaryFile::~TemporaryFile() {
    if (!m_name.isEmpty())
        ::unlink(m_name.constData());
}

bool TemporaryFile::create(const QByteArray& folder, mode_t mode, Naming naming) {
    m_folder = folder;
    if (naming == Naming::UnnamedWherePossible) {
        const int unnamed = ::open(folder.constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, mode);
        if (unnamed >= 0) {
            m_fd.reset(unnamed);
            return true;
        }
        if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL)
            return false;
    }
    for (;;) {
        m_name = temporaryNameIn(folder);
        const int named = ::open(m_name.constData(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, mode);
        if (named >= 0) {
            m_fd.reset(named);
            return true;
        }
        m_name.clear();
        if (errno != EEXIST)
            return false;
    }
}

// An unnamed file gets a temporary name beside the target, from which a
// rename can replace the target atomically.
bool TemporaryFile::linkUnderTemporaryName() {
    const DescriptorPath handle(m_fd.get());
    while (m_name.isEmpty()) {
        m_name = temporaryNameIn(m_folder);
        if (linkat(AT_FDCWD, handle.text, AT_FDCWD, m_name.constData(), AT_SYMLINK_FOLLOW) == 0)
            return true;
        m_name.clear();
        if (errno != EEXIST)
            return false;
    }
    return true;
}

// A named file is closed before it is renamed, so that a failed write-back
// keeps it from taking the target's name.
bool TemporaryFile::closeBeforeRename() {
    return m_fd.get() < 0 || m_fd.close();
}

bool TemporaryFile::takeNewName(const QByteArray& target) {
    if (m_name.isEmpty())
        return linkat(AT_FDCWD, DescriptorPath(m_fd.get()).text, AT_FDCWD, target.constData(),
                      AT_SYMLINK_FOLLOW) == 0 &&
               m_fd.close();
    if (!closeBeforeRename() || renameat2(AT_FDCWD, m_name.constData(), AT_FDCWD,
                                          target.constData(), RENAME_NOREPLACE) != 0)
        return false;
    m_name.clear();
    return true;
}

bool TemporaryFile::replace(const QByteArray& target) {
    if (!linkUnderTemporaryName() || !closeBeforeRename() ||
        ::rename(m_name.constData(), target.constData()) != 0)
        return false;
    m_name.clear();
    return true;
}
