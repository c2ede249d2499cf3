#!/usr/bin/env bash
# Unpacks the Debian package into a scratch root, as dpkg installs it, and checks there that
# man finds and renders both manual pages without a warning, and that bash-completion finds
# holtool's completion, which completes commands, options, file names by their extension and
# the configuration names of the file named on the command line. Skipped with a message when
# man or bash-completion is not installed.
set -euo pipefail
deb="$1"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
completion_library=/usr/share/bash-completion/bash_completion
if ! command -v man >/dev/null || [ ! -f "$completion_library" ]; then
    echo "SKIPPED: man or bash-completion is not installed (scripts/install-deps installs them)"
    exit 77
fi
root="$work/root"
dpkg-deb -x "$deb" "$root"

fail=0
export MANPATH="$root/usr/share/man" MANWIDTH=80 LC_ALL=C.UTF-8
for page in mirevo-holidays holtool; do
    found="$(man -w "$page" 2>&1 || true)"
    if [ "$found" != "$root/usr/share/man/man1/$page.1.gz" ]; then
        echo "man -w $page gives '$found'"; fail=1; continue
    fi
    text="$(man --warnings "$page" 2>"$work/warnings")"
    if [ -s "$work/warnings" ]; then
        echo "man $page warns:"; cat "$work/warnings"; fail=1
    fi
    if ! grep -Eq "^ *$page +- " <<<"$text"; then
        echo "man $page shows no NAME line:"; head -n 8 <<<"$text"; fail=1
    fi
done

# A folder with one file of each kind; states.hol has the configurations DE-BY and "Nord Ost".
mkdir "$work/files"
printf 'Title\000Start\000Dir\000Offset\000\000DE-BY\000Nord Ost\001' >"$work/files/states.hol"
touch "$work/files/cal.ics" "$work/files/table.json"

bash --noprofile --norc -s "$root" "$work/files" <<'SCRIPT' || fail=1
root="$1"
cd "$2"
export XDG_DATA_DIRS="$root/usr/share" BASH_COMPLETION_USER_DIR="$2/none"
source /usr/share/bash-completion/bash_completion
if ! __load_completion holtool; then
    echo "bash-completion does not find holtool's completion in $XDG_DATA_DIRS"; exit 1
fi
fail=0
# The words of a command line, the last one being completed, and the completions it gets.
while IFS='|' read -r line expected; do
    eval "COMP_WORDS=($line)"
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMP_LINE="${COMP_WORDS[*]}"
    COMP_POINT=${#COMP_LINE}
    COMPREPLY=()
    _holtool holtool "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
    got="$(printf '%s\n' "${COMPREPLY[@]}" | sort | paste -sd ' ')"
    if [ "$got" != "$expected" ]; then
        echo "completing [$line] gives [$got], not [$expected]"; fail=1
    fi
done <<'CASES'
holtool ''|check compare dump ics import report write
holtool ics --c|--column --config
holtool ics states.hol --config ''|DE-BY Nord\ Ost
holtool compare --years 2027 states.hol --config N|Nord\ Ost
holtool import cal.ics --into states.hol --config=D|DE-BY
holtool compare states.hol --config DE-BY ''|cal.ics
holtool write ''|table.json
holtool report ''|states.hol
CASES
exit "$fail"
SCRIPT

[ "$fail" -eq 0 ] && echo "man shows both pages and bash completes holtool from the package"
exit "$fail"
