#include "app/launch_decision.h"

QString lastCharacter(const QString& text) {
    if (text.isEmpty())
        return {};
    const qsizetype size = text.size();
    if (size >= 2 && text[size - 1].isLowSurrogate() && text[size - 2].isHighSurrogate())
        return text.right(2);
    return text.right(1);
}

LaunchDecision decideLaunch(const QString& argument, bool shiftHeld) {
    LaunchDecision decision;
    if (argument.isEmpty() || shiftHeld)
        return decision;
    const QString argumentSwitch = argument.left(2);
    if (argumentSwitch == QLatin1String("/c") || argumentSwitch == QLatin1String("/C"))
        decision.mode = RunMode::Copy;
    else if (argumentSwitch == QLatin1String("/d") || argumentSwitch == QLatin1String("/D"))
        decision.mode = RunMode::Delete;
    else if (argumentSwitch == QLatin1String("/m") || argumentSwitch == QLatin1String("/M"))
        decision.mode = RunMode::Move;
    else {
        decision.path = LaunchPath::EmptyWindow;
        return decision;
    }
    decision.path = LaunchPath::SilentRun;
    decision.profileText = lastCharacter(argument);
    return decision;
}
