#pragma once

#include <QLatin1Char>
#include <QString>

// Appends "/" to a folder that does not already end in one ("" becomes "/").
inline QString withTrailingSeparator(const QString& folder) {
    return folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
}
