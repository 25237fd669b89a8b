#!/usr/bin/env bash
# Installs Kelvo's Debian package with apt-get and checks it as a user meets it: both programs
# run on nothing but what the package depends on, the window starts and finds its guide, the
# desktop entry is clean. Meant for a clean Debian 12 root, as root (DEVELOPERS.md, "The Debian
# package", says how to run it there); it installs the package and the tools of its checks.
#   tools/check-package.sh KELVO_DEB
set -uo pipefail
# The window titles are Chinese: a C locale would show them to xwininfo as a conversion failure.
export LC_ALL=C.UTF-8

title='齿轮滚齿仿真分析及三维造型 (For Autocad2000)'
guide_title='Kelvo 帮助：齿轮滚齿仿真分析及三维造型'

failures=0
pass() { echo "ok: $*"; }
fail() {
  echo "FAILED: $*"
  failures=$((failures + 1))
}

# Run under xvfb-run: kelvo shows its main window, is still running 3 s later, and F1 opens the
# installed user guide (its own title; a missing guide would show "Kelvo 帮助").
window_check() {
  kelvo 2>/tmp/kelvo.err &
  local pid=$! window= _
  for _ in $(seq 100); do
    window=$(xwininfo -root -tree | awk -v t="\"$title\":" 'index($0, t) { print $1; exit }')
    [ -n "$window" ] && break
    sleep 0.1
  done
  [ -n "$window" ] || { echo "no window titled '$title'"; kill "$pid"; return 1; }
  sleep 3
  kill -0 "$pid" 2>/dev/null || { echo "kelvo ended within 3 s:"; cat /tmp/kelvo.err; return 1; }
  echo "main window $window up, kelvo still running after 3 s"
  xdotool windowfocus --sync "$window" key F1
  local help=
  for _ in $(seq 50); do
    help=$(xwininfo -root -tree | grep -F "\"$guide_title\":") && break
    sleep 0.1
  done
  kill "$pid"
  wait "$pid" 2>/dev/null
  [ -n "$help" ] || { echo "F1 opened no window titled '$guide_title'"; return 1; }
  echo "F1 opened the installed user guide: $help"
}

if [ "${1:-}" = --window-check ]; then
  window_check
  exit
fi
[ $# -eq 1 ] && [ -f "$1" ] || { echo "usage: tools/check-package.sh KELVO_DEB" >&2; exit 2; }
deb=$(realpath "$1")
export DEBIAN_FRONTEND=noninteractive

apt-get update -q >/dev/null || { echo "apt-get update failed"; exit 1; }
# Nothing recommended: what the package depends on must be enough.
if apt-get install -y -q --no-install-recommends "$deb" >/tmp/kelvo-install.log 2>&1; then
  pass "apt-get install $(basename "$deb"): $(grep -cE '^(Setting up|Unpacking) ' /tmp/kelvo-install.log) steps"
else
  tail -20 /tmp/kelvo-install.log
  echo "FAILED: apt-get install $deb"
  exit 1
fi
echo "Depends: $(dpkg-query -W -f='${Depends}' kelvo)"

# Before anything else is installed, so that the tools of the checks hide no missing dependency.
for program in /usr/bin/kelvo /usr/bin/kelvo-cli; do
  missing=$(ldd "$program" | grep 'not found')
  [ -z "$missing" ] && pass "$program: every shared library found" ||
    fail "$program lacks: $missing"
done

solve=$(kelvo-cli solve 2>&1)
status=$?
echo "$solve" | head -3
expected_pair=(' d1 +40\.000000 mm' ' d2 +80\.000000 mm' ' da1 +44\.000000 mm'
  ' da2 +84\.000000 mm' ' x_sum +0\.000000 ' ' W1 +15\.320879 mm')
found=0
for line in "${expected_pair[@]}"; do
  echo "$solve" | grep -qE "^ $line" && found=$((found + 1))
done
[ $status -eq 0 ] && [ $found -eq ${#expected_pair[@]} ] &&
  pass "kelvo-cli solve: the default pair (d1 40, d2 80, da1 44, da2 84, x_sum 0, W1 15.320879)" ||
  fail "kelvo-cli solve (status $status, $found of ${#expected_pair[@]} values)"

rm -f /tmp/g.step
gear=$(kelvo-cli gear --out /tmp/g.step 2>&1)
status=$?
echo "$gear"
faces=$(echo "$gear" | awk '$1 == "面数" { print $2 }')
if [ $status -eq 0 ] && echo "$gear" | grep -qE '^  实体有效 +是$' &&
  [ "$(head -1 /tmp/g.step)" = "ISO-10303-21;" ] &&
  [ "$(tail -1 /tmp/g.step)" = "END-ISO-10303-21;" ] &&
  [ "$(grep -c '= MANIFOLD_SOLID_BREP' /tmp/g.step)" = 1 ] &&
  [ "$(grep -c '= ADVANCED_FACE' /tmp/g.step)" = "$faces" ]; then
  pass "kelvo-cli gear --out /tmp/g.step: $(stat -c %s /tmp/g.step) bytes of STEP, one solid of $faces faces"
else
  fail "kelvo-cli gear --out /tmp/g.step (status $status)"
fi

# The report as PDF needs Qt's offscreen platform and the Song font, from the package's
# dependencies alone, and no display.
rm -f /tmp/r.pdf /tmp/r.html
report=$(env -u DISPLAY kelvo-cli report --z1 8 --a_true 48 --html /tmp/r.html --pdf /tmp/r.pdf 2>&1)
status=$?
if [ $status -eq 0 ] && echo "$report" | grep -q '警告  undercut1' &&
  [ "$(head -c 5 /tmp/r.pdf)" = "%PDF-" ] && grep -q '<svg ' /tmp/r.html; then
  pass "kelvo-cli report: the undercut warned of; $(stat -c %s /tmp/r.pdf) bytes of PDF, HTML with its picture"
else
  echo "$report"
  fail "kelvo-cli report --html /tmp/r.html --pdf /tmp/r.pdf (status $status)"
fi

missing=
for file in /usr/share/kelvo/help/kelvoHelp.html /usr/share/man/{,zh_CN/}man1/kelvo{,-cli}.1.gz \
  /usr/share/icons/hicolor/scalable/apps/kelvo.svg \
  /usr/share/icons/hicolor/{32x32,64x64,128x128}/apps/kelvo.png \
  /usr/share/qt6/translations/qtbase_zh_CN.qm; do
  [ -s "$file" ] || missing+=" $file"
done
[ -z "$missing" ] &&
  pass "installed: the user guide, the manual pages, the icon (SVG; 32, 64, 128 px PNG), Qt's Chinese translations" ||
  fail "not installed:$missing"

apt-get install -y -q --no-install-recommends xvfb xauth x11-utils xdotool desktop-file-utils \
  >/tmp/kelvo-tools.log 2>&1 || { tail -20 /tmp/kelvo-tools.log; fail "installing the check tools"; }

window=$(xvfb-run -a "$0" --window-check 2>&1)
status=$?
echo "$window"
[ $status -eq 0 ] && pass "xvfb-run kelvo: starts, stays up 3 s, F1 finds the installed guide" ||
  fail "xvfb-run kelvo"
# xvfb-run does not wait for the X server it stops; leave nothing running (its lock file goes
# last).
for _ in $(seq 50); do
  compgen -G '/tmp/.X*-lock' >/dev/null || break
  sleep 0.1
done

validation=$(desktop-file-validate /usr/share/applications/kelvo.desktop 2>&1)
[ $? -eq 0 ] && [ -z "$validation" ] &&
  pass "desktop-file-validate /usr/share/applications/kelvo.desktop: clean" ||
  fail "desktop-file-validate: $validation"

if [ $failures -eq 0 ]; then
  echo "the package passed every check"
else
  echo "$failures checks FAILED"
fi
[ $failures -eq 0 ]
