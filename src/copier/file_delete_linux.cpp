#include "copier/file_operations.h"

#include "copier/file_paths.h"

#include <unistd.h>

Result deleteFile(const QString& path) {
    if (::unlink(encodedPath(path).constData()) != 0)
        return errnoFailure(path);
    return Result::success();
}
