#!/usr/bin/env bash
# The manual pages of a build folder render without a warning: the English one
# in the POSIX locale (so it must hold ASCII only), the Japanese one in a
# UTF-8 locale. Both describe the status line, the summary and the dry run.
#   manual_pages_test.sh <build folder>
set -euo pipefail
manual=$1/manual
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

check() { # <page> <locale> <words that must appear...>
    local page=$1 locale=$2 text warnings
    shift 2
    warnings=$(LC_ALL=$locale MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
    text=$(LC_ALL=$locale MANWIDTH=80 man -l "$page" 2>/dev/null)
    [ -z "$warnings" ] || fail "$page under LC_ALL=$locale warns: $warnings"
    for word in "$@"; do
        grep -qF -- "$word" <<<"$text" || fail "$page lacks \"$word\""
    done
}

english=$manual/man1/fennick.1
if LC_ALL=C grep -qP '[^\x00-\x7f]' "$english"; then
    fail "$english holds characters outside ASCII: $(LC_ALL=C grep -nP '[^\x00-\x7f]' "$english")"
fi
check "$english.gz" C "AT A TERMINAL" "DRY RUN" "--dry-run /d0"
check "$manual/ja/man1/fennick.1.gz" C.UTF-8 "端末での表示" "ドライラン" "コピー完了: 40 件"

[ "$failures" -eq 0 ] || exit 1
echo "manual pages render without warnings"
