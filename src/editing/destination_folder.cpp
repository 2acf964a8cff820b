#include "editing/destination_folder.h"

#include "files/file_search.h"
#include "files/settings.h"
#include "platform/pickers.h"

QString initialFolderFor(const QString& sourceBoxText) {
    if (sourceBoxText.size() < 4 || sourceBoxText[sourceBoxText.size() - 4] != QLatin1Char('.'))
        return sourceBoxText;
    const QString name = firstOrdinaryFileName(sourceBoxText);
    return name.isEmpty() ? sourceBoxText : sourceBoxText.chopped(name.size());
}

DestinationPick pickDestinationFolder(Pickers& pickers, const QString& sourceBoxText, int profile) {
    DestinationPick pick;
    pick.folder =
        pickers.SelectFolder(QStringLiteral("設定ファイルの保存先フォルダを選択して下さい。"),
                             initialFolderFor(sourceBoxText));
    pickers.setLastUsedFolder(pick.folder);
    pick.chosen = !pick.folder.isEmpty();
    if (pick.chosen)
        pick.stored =
            PutIniValue(QStringLiteral("SEND Folder"),
                        QStringLiteral("FolderName") + QString::number(profile), pick.folder);
    return pick;
}
