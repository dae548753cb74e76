#!/usr/bin/env bash
# Starts the desktop program in a virtual X server and checks what a user
# would see: the window "korva-99" at 80 % of the screen width, its icon, the
# six menu items in order; writes a screenshot of the screen.  Then destroys
# the window from outside, as a window manager may, and checks that the
# program ends.
#   smoke_window.sh KORVA_BINARY SCREENSHOT.png
# Exit 77 (skipped) when Xvfb or the X utilities are missing.
set -u
korva=$1
shot=$2
for tool in Xvfb xwininfo xprop import xdotool; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "$tool is not installed: skipped"
    exit 77
  fi
done

work=$(mktemp -d)
app=
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb=$!
cleanup() {
  if [ -n "$app" ]; then kill "$app" 2>/dev/null; wait "$app" 2>/dev/null; fi
  kill "$xvfb" 2>/dev/null
  wait "$xvfb" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "FAIL: $*"
  echo "--- program output"; cat "$work/out" "$work/err" 2>/dev/null
  exit 1
}

for _ in $(seq 100); do
  [ -s "$work/display" ] && break
  sleep 0.1
done
[ -s "$work/display" ] || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
export DISPLAY=":$(head -n1 "$work/display")"

# No editor or viewer is started by this test; the working directory is a
# scratch folder.
(cd "$work" && exec env -u VISUAL -u EDITOR QT_QPA_PLATFORM=xcb KORVA_SHOW_MENU=1 "$korva" >"$work/out" 2>"$work/err") &
app=$!

win=
for _ in $(seq 150); do
  win=$(xwininfo -root -tree 2>/dev/null | awk '/"korva-99"/ {print $1; exit}')
  [ -n "$win" ] && [ "$(grep -c '^menu: ' "$work/out" 2>/dev/null)" = 6 ] && break
  kill -0 "$app" 2>/dev/null || fail "the program ended early"
  sleep 0.1
done
[ -n "$win" ] || fail "no window titled korva-99"
sleep 0.5  # let the first paint reach the server

title=$(xprop -id "$win" WM_NAME)
[ "$title" = 'WM_NAME(STRING) = "korva-99"' ] || fail "title: $title"

expected='menu: &Start KORVA-99
menu: &Ghostview
menu: &Edit input-file
menu: &Help input-file
menu: &Edit output-file
menu: &Exit'
[ "$(grep '^menu: ' "$work/out")" = "$expected" ] || fail "menu bar differs"

width=$(xwininfo -id "$win" | awk '/Width:/ {print $2}')
[ "$width" = 1024 ] || fail "window width $width, expected 1024 (80 % of 1280)"

xprop -id "$win" _NET_WM_ICON | grep -q 'Icon (32 x 32)' || fail "no 32 x 32 icon"

import -window root "$shot" || fail "screenshot failed"
colours=$(identify -format '%k' "$shot" 2>/dev/null || echo 0)
[ "$colours" -gt 2 ] || fail "the screenshot is blank ($colours colours)"

# XDestroyWindow, not a close request: no program is asked anything.
xdotool windowclose "$win" || fail "xdotool could not destroy the window"
for _ in $(seq 50); do
  kill -0 "$app" 2>/dev/null || break
  sleep 0.1
done
kill -0 "$app" 2>/dev/null && fail "the program still runs after its window was destroyed"
wait "$app"
status=$?
app=
[ "$status" = 0 ] || fail "exit status $status after the window was destroyed"
echo "window $win: korva-99, width $width, six menu items; screenshot $shot ($colours colours); ends when destroyed"
