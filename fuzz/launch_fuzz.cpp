// The launch decision on any argument, with and without SHIFT: it never
// crashes, runs silently exactly for a run-mode switch, takes the profile from
// the argument's last whole character, and the interactive start agrees with it.

#include "fuzz_support.h"

#include "app/interactive_start.h"
#include "app/launch_decision.h"

namespace {

// The argument's last Unicode character: one code unit that does not end a
// surrogate pair, or the whole pair.
bool isLastCharacter(const QString& text, const QString& argument) {
    if (!argument.endsWith(text))
        return false;
    if (text.size() == 2)
        return text[0].isHighSurrogate() && text[1].isLowSurrogate();
    const qsizetype size = argument.size();
    return text.size() == 1 &&
           !(text[0].isLowSurrogate() && size >= 2 && argument[size - 2].isHighSurrogate());
}

bool namesRunMode(const QString& argument) {
    return argument.size() >= 2 && argument[0] == u'/' &&
           QStringLiteral("cCdDmM").contains(argument[1]);
}

void checkDecision(const QString& argument, bool shiftHeld) {
    const LaunchDecision decision = decideLaunch(argument, shiftHeld);
    if (argument.isEmpty() || shiftHeld) {
        require(decision.path == LaunchPath::InteractiveStart && decision.profileText == u"0",
                "no argument or SHIFT opens the window on profile 0");
        return;
    }
    require((decision.path == LaunchPath::SilentRun) == namesRunMode(argument),
            "a run-mode switch, and only that, runs silently");
    if (decision.path == LaunchPath::EmptyWindow) {
        require(decision.profileText == u"0", "the empty window keeps profile 0");
        return;
    }
    require(decision.path == LaunchPath::SilentRun, "an argument runs or opens a window");
    require(isLastCharacter(decision.profileText, argument),
            "the profile text is the argument's last whole character");
    const InteractivePresets presets = interactivePresets(argument);
    require(presets.mode == decision.mode, "the interactive start presets the same mode");
    const bool digit = decision.profileText.size() == 1 && decision.profileText[0] >= u'0' &&
                       decision.profileText[0] <= u'9';
    require(presets.status.ok() == digit, "only a digit opens the window preset");
    if (digit)
        require(presets.profile == decision.profileText[0].unicode() - u'0',
                "the interactive start presets the same profile");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString argument(reinterpret_cast<const QChar*>(data), qsizetype(size / 2));
    checkDecision(argument, false);
    checkDecision(argument, true);
    const InteractivePresets presets = interactivePresets(argument);
    require(presets.profile >= 0 && presets.profile <= 9, "a preset profile is 0 to 9");
    require(presets.status.ok() || !presets.status.error().isEmpty(), "a refused preset says why");
    return 0;
}
