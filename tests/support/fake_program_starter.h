#pragma once

#include "platform/program_starter.h"

#include <QStringList>

namespace test_support {

// Records every start; only the programs listed as installed start.
class FakeProgramStarter : public ProgramStarter {
  public:
    bool startDetached(const QString& program) override {
        started.append(program);
        return installed.contains(program);
    }

    QStringList installed;
    QStringList started;
};

} // namespace test_support
