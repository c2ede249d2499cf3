#!/usr/bin/env bash
# scripts/install-deps names only packages that exist and that it installed, asks apt nothing
# when all are there, and tells a user without root or sudo the command to run.
set -euo pipefail
script="$1/scripts/install-deps"
fail() { echo "FAIL: $*" >&2; exit 1; }

# Every package it names is installed (it ran before the build): a virtual or misspelt name
# never is.
while read -r p; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" ||
        fail "install-deps names $p, which is not installed"
done < <("$script" --list)

stubs="$(mktemp -d)"
trap 'rm -rf "$stubs"' EXIT
chmod 755 "$stubs"
printf '#!/bin/sh\necho "$0 $*" >> %s/calls\nexit 1\n' "$stubs" > "$stubs/apt-get"
cp "$stubs/apt-get" "$stubs/sudo"
chmod 755 "$stubs/apt-get" "$stubs/sudo"

# Nothing missing: apt is not asked.
PATH="$stubs:$PATH" "$script" || fail "exit status $? with every package installed"
[ ! -e "$stubs/calls" ] || fail "apt was called with every package installed: $(cat "$stubs/calls")"

# Something missing, not root and no sudo: one line with the command, exit 1, apt not asked.
if [ "$(id -u)" -eq 0 ] && command -v setpriv >/dev/null; then
    mkdir "$stubs/bin"
    printf '#!/bin/sh\n[ "$3" = time ] && echo "unknown ok not-installed" && exit 0\nexec /usr/bin/dpkg-query "$@"\n' \
        > "$stubs/bin/dpkg-query"
    ln -s /usr/bin/id /usr/bin/grep /usr/bin/env /usr/bin/bash "$stubs/bin/"
    cp "$stubs/apt-get" "$stubs/bin/apt-get"
    chmod -R a+rx "$stubs"
    set +e
    err="$(setpriv --reuid=nobody --regid=nogroup --clear-groups env PATH="$stubs/bin" \
        bash "$script" 2>&1 >/dev/null)"
    status=$?
    set -e
    [ "$status" -eq 1 ] || fail "exit status $status for a user without sudo (wanted 1): $err"
    [ "$err" = "Missing Debian packages; as root, run: apt-get update && apt-get install time" ] ||
        fail "unexpected message: $err"
    [ ! -e "$stubs/calls" ] || fail "apt was called for a user without sudo"
fi
echo "install-deps: ok"
