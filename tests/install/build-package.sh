#!/usr/bin/env bash
# Builds the Debian package with scripts/package into OUT, for the tests that check it. The
# programs are built as the package builds them (hardened, optimised), but without debug
# information and without the debug symbol package, which nothing here checks, to keep the
# build short.
set -euo pipefail
source_dir="$1"
out="$2"
rm -rf "$out"
DEB_BUILD_OPTIONS="nocheck noddebs ${DEB_BUILD_OPTIONS:-}" DEB_CXXFLAGS_STRIP=-g \
    "$source_dir/scripts/package" "$out"
