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

# --preview and --report are done by the GTK helper, installed in the
# library executables folder; without a display the preview says so and
# ends with status 2, which shows that the installed program found it.
helper=$(find "$prefix" -name dlgforge-gtk -type f)
[ -n "$helper" ] && [ -x "$helper" ] || fail "no dlgforge-gtk installed"
status=0
message=$(env -u DISPLAY "$prefix/bin/dlgforge" --preview \
  "$source_dir/examples/about.rc" 2>&1) || status=$?
[ "$status" -eq 2 ] ||
  fail "--preview without a display ended with status $status: $message"
case $message in
*"no display"*) ;;
*) fail "--preview without a display said: $message" ;;
esac

echo "install_test: installed and ran $prefix/bin/dlgforge"
