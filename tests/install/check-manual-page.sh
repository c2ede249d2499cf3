#!/usr/bin/env bash
# groff with every warning on, and man as lintian runs it, render the manual page PAGE without
# a word on standard error.
set -euo pipefail
page="$1"
warnings="$(groff -ww -z -man "$page" 2>&1;
    LC_ALL=C.UTF-8 MANROFFSEQ="" MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$page" 2>&1 >/dev/null)"
if [ -n "$warnings" ]; then
    echo "$warnings"; exit 1
fi
echo "$(basename "$page") renders without warnings"
