#include "files/wildcard.h"

#include <QList>

#include <algorithm>

// One pass over the text, which is most often a short file name.
bool hasWildcards(QStringView text) {
    return std::any_of(text.begin(), text.end(),
                       [](QChar c) { return c == QLatin1Char('*') || c == QLatin1Char('?'); });
}

bool matchesWildcard(QStringView pattern, QStringView name) {
    // Both are compared as sequences of Unicode characters, so that "?"
    // stands for one character even outside the basic plane.
    const QList<uint> p = pattern.toUcs4();
    const QList<uint> n = name.toUcs4();
    qsizetype pi = 0, ni = 0;
    qsizetype starAt = -1, resumeAt = 0;
    while (ni < n.size()) {
        if (pi < p.size() && (p[pi] == '?' || p[pi] == n[ni])) {
            ++pi;
            ++ni;
        } else if (pi < p.size() && p[pi] == '*') {
            starAt = pi++;
            resumeAt = ni;
        } else if (starAt >= 0) {
            pi = starAt + 1;
            ni = ++resumeAt;
        } else {
            return false;
        }
    }
    while (pi < p.size() && p[pi] == '*')
        ++pi;
    return pi == p.size();
}
