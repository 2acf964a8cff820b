#pragma once

#include <QString>

// Starts other programs without waiting for them.
class ProgramStarter {
  public:
    virtual ~ProgramStarter() = default;

    // Starts the program file at this path, unchanged and without arguments, as
    // a separate process in a normal window; false when it could not be started.
    virtual bool startDetached(const QString& program) = 0;
};

// Starts programs as processes of their own that outlive this one. The entry
// point creates it and hands it on.
class DetachedProgramStarter : public ProgramStarter {
  public:
    bool startDetached(const QString& program) override;
};
