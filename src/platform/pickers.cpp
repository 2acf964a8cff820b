#include "platform/pickers.h"

#include "common/path_text.h"
#include "platform/file_dialogs.h"

namespace {

// Files named "*.*" means every file, as it does on Windows; here a name
// need not have a dot.
QString filterEntry(const QString& description, const QString& pattern) {
    const QString patterns = pattern == QLatin1String("*.*") ? QStringLiteral("*") : pattern;
    return description + QStringLiteral(" (") + patterns + QLatin1Char(')');
}

} // namespace

Pickers::Pickers(FileDialogs& dialogs) : m_dialogs(dialogs) {}

QString Pickers::SelectFile(const QString& description, const QString& pattern) {
    const QStringList filters = {
        filterEntry(description, pattern),
        filterEntry(QStringLiteral("すべてのファイル(*.*)"), QStringLiteral("*.*"))};
    const QString picked =
        m_dialogs.openExistingFile(QStringLiteral("ファイルを開く"), filters, m_lastUsedFolder);
    if (picked.isEmpty())
        return QString();
    const qsizetype slash = picked.lastIndexOf(QLatin1Char('/'));
    m_lastUsedFolder = withTrailingSeparator(picked.left(slash + 1));
    return picked;
}

QString Pickers::SelectFolder(const QString& prompt, const QString& startFolder) {
    return m_dialogs.chooseFolder(prompt, startFolder);
}
