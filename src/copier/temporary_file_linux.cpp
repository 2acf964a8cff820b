#include "copier/temporary_file.h"

#include "copier/file_paths.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <initializer_list>
#include <iterator>
#include <unistd.h>

namespace {

constexpr char kTemporaryPrefix[] = ".fennick-";

// The decimal digits of a number, written by hand: a formatted print or
// QByteArray::number() costs more than the rest of naming a file.
class Decimal {
  public:
    explicit Decimal(unsigned number) {
        do {
            *--m_first = char('0' + number % 10);
            number /= 10;
        } while (number != 0);
    }
    Decimal(const Decimal&) = delete; // m_first points into the object
    Decimal& operator=(const Decimal&) = delete;
    QByteArrayView digits() const { return {m_first, std::end(m_digits)}; }

  private:
    char m_digits[10];
    char* m_first = std::end(m_digits);
};

// The parts put together with one allocation and plain copies.
QByteArray joined(std::initializer_list<QByteArrayView> parts) {
    qsizetype size = 0;
    for (const QByteArrayView part : parts)
        size += part.size();
    QByteArray text(size, Qt::Uninitialized);
    char* out = text.data();
    for (const QByteArrayView part : parts)
        out = std::copy(part.begin(), part.end(), out);
    return text;
}

// The process id, read once, keeps the names of runs at once apart; a name
// left by an earlier process with the same id is skipped (O_EXCL).
QByteArray temporaryNameIn(const QByteArray& folder) {
    static const QByteArray process = kTemporaryPrefix + QByteArray::number(getpid()) + '-';
    static std::atomic<unsigned> counter{0};
    return joined({folder, "/", process, Decimal(counter++).digits(), ".tmp"});
}

// The name through which an open file, with or without a name of its own,
// can be linked into a folder.
struct DescriptorPath {
    explicit DescriptorPath(int fd) {
        const Decimal number{unsigned(fd)};
        constexpr char kFolder[] = "/proc/self/fd/";
        char* out = std::copy(std::begin(kFolder), std::end(kFolder) - 1, text);
        *std::copy(number.digits().begin(), number.digits().end(), out) = '\0';
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
