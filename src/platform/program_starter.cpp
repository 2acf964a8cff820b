#include "platform/program_starter.h"

#include <QProcess>

bool DetachedProgramStarter::startDetached(const QString& program) {
    return QProcess::startDetached(program, {});
}
