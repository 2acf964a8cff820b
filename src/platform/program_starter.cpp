#include "platform/program_starter.h"

#include <QProcess>

namespace {

class DetachedProgramStarter : public ProgramStarter {
  public:
    bool startDetached(const QString& program) override {
        return QProcess::startDetached(program, {});
    }
};

} // namespace

ProgramStarter& systemProgramStarter() {
    static DetachedProgramStarter starter;
    return starter;
}
