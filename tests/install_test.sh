#!/bin/sh
# Installs dlgforge from a build folder into a temporary prefix, then runs the
# installed program: its version, and an example converted with fixed base
# units compared with the program committed beside it.
# Usage: install_test.sh CMAKE BUILD_DIR SOURCE_DIR VERSION
set -eu
cmake=$1
build_dir=$2
source_dir=$3
version=$4

prefix=$(mktemp -d "${TMPDIR:-/tmp}/dlgforge-install.XXXXXX")
trap 'rm -rf "$prefix"' EXIT

fail() {
  echo "install_test: $*" >&2
  exit 1
}

"$cmake" --install "$build_dir" --prefix "$prefix" >/dev/null

[ -x "$prefix/bin/dlgforge" ] || fail "no executable $prefix/bin/dlgforge"
[ -f "$prefix/share/man/man1/dlgforge.1" ] ||
  fail "no manual page $prefix/share/man/man1/dlgforge.1"
cmp -s "$source_dir/man/dlgforge.1" "$prefix/share/man/man1/dlgforge.1" ||
  fail "the installed manual page differs from man/dlgforge.1"

actual=$("$prefix/bin/dlgforge" --version)
[ "$actual" = "dlgforge $version" ] ||
  fail "--version printed '$actual', expected 'dlgforge $version'"

"$prefix/bin/dlgforge" --base-units 6,13 -o "$prefix/about.bas" \
  "$source_dir/examples/about.rc" || fail "conversion failed"
cmp "$source_dir/examples/about.bas" "$prefix/about.bas" ||
  fail "the installed program converts examples/about.rc differently"

echo "install_test: installed and ran $prefix/bin/dlgforge"
