#!/usr/bin/env bash
# Builds the Debian package from a finished build and checks it: contents,
# dependencies, desktop files, lintian, and that every program starts from
# the unpacked package. With --install (CI, as root on a throwaway machine)
# (or SUITE_INSTALL_PACKAGE=1) it installs the package with apt and starts
# the installed programs.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${BUILD_DIR:-$root/build}"
install_it=0
if [ "${1:-}" = "--install" ] || [ "${SUITE_INSTALL_PACKAGE:-0}" = 1 ]; then install_it=1; fi
programs=(lomtra vantor ostrel kelvan pardel)
fail() { echo "package: $*" >&2; exit 1; }

cd "$build"
rm -f norva-suite_*.deb
if ! cpack -G DEB >cpack.log 2>&1; then
  cat cpack.log >&2
  fail "cpack failed"
fi
deb="$(ls norva-suite_*.deb)"
echo "package: $build/$deb"

# Contents: the programs and the manual together, links in /usr/bin, a
# desktop file and an icon per program, the Debian doc files.
contents="$(dpkg-deb -c "$deb" | awk '{print $6}')"
expect=(./usr/lib/norva-suite/lomtra.pdf ./usr/share/doc/norva-suite/copyright
        ./usr/share/doc/norva-suite/changelog.gz)
for p in "${programs[@]}"; do
  expect+=("./usr/lib/norva-suite/$p" "./usr/bin/$p" "./usr/share/applications/$p.desktop"
           "./usr/share/icons/hicolor/scalable/apps/$p.svg" "./usr/share/man/man1/$p.1.gz")
done
for path in "${expect[@]}"; do
  grep -qxF "$path" <<<"$contents" || fail "$deb lacks $path"
done
depends="$(dpkg-deb -f "$deb" Depends)"
grep -q libqt6widgets6 <<<"$depends" || fail "Depends lacks the Qt widgets library: $depends"
echo "package: contents complete; Depends: $depends"

unpacked="$(mktemp -d)"
trap 'rm -rf "$unpacked"' EXIT
dpkg-deb -x "$deb" "$unpacked"
for p in "${programs[@]}"; do
  desktop-file-validate "$unpacked/usr/share/applications/$p.desktop" ||
    fail "$p.desktop is not valid"
  "$unpacked/usr/bin/$p" --version >/dev/null || fail "$p from the package does not start"
done
grep -q '^Exec=lomtra %F$' "$unpacked/usr/share/applications/lomtra.desktop" ||
  fail "lomtra.desktop does not take files"
head -c 5 "$unpacked/usr/lib/norva-suite/lomtra.pdf" | grep -q '%PDF-' || fail "lomtra.pdf is no PDF"
echo "package: desktop files valid, programs start from the unpacked package"

# The analyser's User Manual command, pointed at the packaged program folder.
manual_test="$build/bin/manual_menu_test"
manual_check() {
  [ -x "$manual_test" ] || return 0
  NORVA_PROGRAM_DIR="$1" QT_QPA_PLATFORM=offscreen "$manual_test" --gtest_brief=1 >/dev/null ||
    fail "User Manual does not open $1/lomtra.pdf"
  echo "package: User Manual opens $1/lomtra.pdf"
}
manual_check "$unpacked/usr/lib/norva-suite"

# lintian: no errors (warnings are reported, not fatal).
lintian --fail-on error "$deb" 2>&1 |
  tee lintian.log || fail "lintian found errors"
echo "package: lintian found no errors"

if [ "$install_it" = 1 ]; then
  sudo=""
  if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "./$deb" >/dev/null
  for p in "${programs[@]}"; do
    version="$("$p" --version)" || fail "installed $p --version failed"
    # The window: still running after a few seconds means it came up.
    needed="$(objdump -p "/usr/lib/norva-suite/$p")"
    if ! grep -q 'NEEDED.*libQt6Widgets' <<<"$needed"; then
      echo "package: installed $version (batch only in this build)"
      continue
    fi
    status=0
    QT_QPA_PLATFORM=offscreen timeout 4 "$p" >/dev/null 2>&1 || status=$?
    [ "$status" = 124 ] || fail "installed $p window ended with status $status"
    echo "package: installed $version, window starts"
  done
  [ -f /usr/lib/norva-suite/lomtra.pdf ] || fail "the installed manual is missing"
  manual_check /usr/lib/norva-suite
fi
