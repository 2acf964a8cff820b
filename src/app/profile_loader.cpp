#include "app/profile_loader.h"

#include "files/file_search.h"
#include "files/job_list.h"
#include "files/job_list_reader.h"
#include "files/settings.h"

LoadedProfile loadProfile(const QString& appFolder, const QString& profileText) {
    LoadedProfile profile;
    profile.destination =
        GetIniValue(QStringLiteral("SEND Folder"), QStringLiteral("FolderName") + profileText);
    const QString path = jobListPath(appFolder, profileText);
    if (!isOrdinaryFile(path))
        return profile;
    JobListReader reader;
    profile.status = reader.open(path);
    if (!profile.status.ok())
        return profile;
    while (const std::optional<JobRecord> record = reader.next())
        profile.sources.append(record->source);
    if (reader.failed())
        profile.status = Result::failure(reader.error());
    return profile;
}
