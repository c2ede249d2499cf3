#!/usr/bin/env bash
# Debian's package checker, with its pedantic checks, finds no error and no warning in the
# package; informational and pedantic notes are shown but do not fail. Skipped with a message
# when lintian is not installed.
set -euo pipefail
deb="$1"
if ! command -v lintian >/dev/null; then
    echo "SKIPPED: lintian is not installed (scripts/install-deps installs it)"
    exit 77
fi
if ! lintian --pedantic --info --display-experimental --tag-display-limit 0 \
    --fail-on error,warning "$deb"; then
    echo "lintian reports errors or warnings in $deb (or could not check it)"
    exit 1
fi
echo "lintian: no error, no warning in $(basename "$deb")"
