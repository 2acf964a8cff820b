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
    JobRecord record;
    JobListReader::Status status;
    while ((status = reader.next(record)) == JobListReader::Status::Record)
        profile.sources.append(record.source);
    if (status == JobListReader::Status::Error)
        profile.status = Result::failure(reader.error());
    return profile;
}
