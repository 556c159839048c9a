#!/usr/bin/env bash
# The help window under a real X server, beside Mnemora's own windows:
# opened by F1 from the modal About window, it must appear beside that window
# (not over it) and take keys and clicks while About is still open; when the
# idle viewer is ended from outside, Mnemora shows no box, goes on, and the
# next request opens a new viewer.
#   help_viewer.sh <mnemora binary> <help fixture folder> [screenshot dir]
# Exit code 77 (a skip for CTest) when the X tools or the help compiler are
# not installed.
set -uo pipefail

bin="$1"
fixture="$2"
shots="${3:-}"

for tool in Xvfb trayer xdotool xwininfo chmcmd; do
  if ! command -v "$tool" >/dev/null; then
    echo "SKIP: $tool is not installed"
    exit 77
  fi
done

work="$(mktemp -d)"
. "$(dirname "${BASH_SOURCE[0]}")/env.sh"
machine_independent_env "$work"
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
  wait 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

fail() { echo "FAIL: $*"; [ -f "$work/mnemora.log" ] && cat "$work/mnemora.log"; exit 1; }

# The program and its viewer in a folder of their own with the test's help
# file beside them, the first place Mnemora looks (the build folder holds the
# shipped help).
cp -r "$fixture" "$work/help"
(cd "$work/help" && chmcmd vantero.hhp >"$work/chmcmd.log" 2>&1) || fail "chmcmd: $(cat "$work/chmcmd.log")"
mkdir -p "$work/run"
cp "$bin" "$(dirname "$bin")/mnemora-help" "$work/help/vantero.chm" "$work/run/"
bin="$work/run/mnemora"

# The server picks a free display itself and names it, so that runs in
# parallel never meet on one. Without -noreset it starts afresh whenever its
# last client leaves, and the check that follows was then turned away.
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp -noreset 3>"$work/display" >"$work/xvfb.log" 2>&1 &
pids+=($!)
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
export DISPLAY=":$(head -n 1 "$work/display")"
for _ in $(seq 50); do xwininfo -root >/dev/null 2>&1 && break; sleep 0.1; done
xwininfo -root >/dev/null 2>&1 || fail "Xvfb did not start"

# With a window manager where there is one: frames, focus rules and all.
if command -v openbox >/dev/null; then
  openbox >"$work/openbox.log" 2>&1 &
  pids+=($!)
  sleep 0.5
fi
trayer --edge top --align right --widthtype pixel --width 120 --height 32 >"$work/trayer.log" 2>&1 &
pids+=($!)
sleep 1

mkdir -p "$work/config"
(cd "$work/run" && XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work" exec "$bin") >"$work/mnemora.log" 2>&1 &
app=$!
pids+=($app)

icon=""
for _ in $(seq 100); do
  icon="$(xwininfo -root -tree 2>/dev/null | awk '/"panel": \("panel" "trayer"\)/ {p=1; next} p && /"mnemora"/ {print; exit}')"
  [ -n "$icon" ] && break
  sleep 0.1
done
[ -n "$icon" ] || fail "no tray icon appeared"
read -r ix iy < <(echo "$icon" | sed -E 's/.* \+([0-9]+)\+([0-9]+)$/\1 \2/')
cx=$((ix + 8)); cy=$((iy + 8))

shot() { [ -n "$shots" ] && command -v import >/dev/null && import -window root "$shots/$1.png"; }
. "$(dirname "$0")/menu.sh"
window_named() { xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1; }
wait_window() {
  local w=""
  for _ in $(seq 100); do w="$(window_named "$1")"; [ -n "$w" ] && { echo "$w"; return 0; }; sleep 0.1; done
  return 1
}
wait_title() {  # window, expected name
  for _ in $(seq 100); do [ "$(xdotool getwindowname "$1" 2>/dev/null)" = "$2" ] && return 0; sleep 0.1; done
  return 1
}
frame() {  # x y w h of a window with the window manager's frame around it
  local info x y w h l=0 r=0 t=0 b=0 ext
  info="$(xwininfo -id "$1")"
  x="$(echo "$info" | sed -n 's/.*Absolute upper-left X: *//p')"
  y="$(echo "$info" | sed -n 's/.*Absolute upper-left Y: *//p')"
  w="$(echo "$info" | sed -n 's/.*Width: *//p')"
  h="$(echo "$info" | sed -n 's/.*Height: *//p')"
  ext="$(xprop -id "$1" _NET_FRAME_EXTENTS 2>/dev/null | sed -n 's/.*= *//p' | tr -d ' ')"
  [ -n "$ext" ] && IFS=, read -r l r t b <<<"$ext"
  echo "$((x - l)) $((y - t)) $((w + l + r)) $((h + t + b))"
}
# Through the window manager where there is one, else straight to X.
focus() { xdotool windowactivate --sync "$1" 2>/dev/null || xdotool windowfocus --sync "$1"; }
viewer_pid() { pgrep -P "$app" -f mnemora-help | head -n 1; }

# Tray menu -> "&Помощь" -> "&О программе": the modal About window.
open_menu_at "$cx" "$cy"
xdotool key Down Down Down Down; sleep 0.3   # "&Помощь"
xdotool key Right; sleep 0.3            # "&Вызов помощи"
xdotool key Down; sleep 0.2             # "&О программе"
xdotool key Return
about="$(wait_window '^О программе$')" || fail "the About window did not open"
sleep 0.5

# F1 in it asks for its topic; the viewer opens beside it.
focus "$about"; xdotool key F1
help="$(wait_window 'Справка Мнеморы$')" || fail "F1 in the About window opened no help window"
wait_title "$help" "Главное окно — Справка Мнеморы" || fail "help showed '$(xdotool getwindowname "$help")'"
sleep 0.5
shot help-beside-about
read -r ax ay aw ah < <(frame "$about")
read -r hx hy hw hh < <(frame "$help")
if [ $((hx < ax + aw && ax < hx + hw && hy < ay + ah && ay < hy + hh)) -eq 1 ]; then
  fail "the help window ($hx,$hy ${hw}x$hh) covers the About window ($ax,$ay ${aw}x$ah)"
fi

# About is still modal, and the help window still takes keys and clicks.
xwininfo -id "$about" | grep -q IsViewable || fail "the About window went away"
focus "$help"
xdotool key End Return
wait_title "$help" "Chart columns — Справка Мнеморы" || fail "the contents did not react to keys: '$(xdotool getwindowname "$help")'"
xdotool key alt+Left
wait_title "$help" "Главное окно — Справка Мнеморы" || fail "Back did not react"
# A click on the first entry of the contents ("Start").
read -r hx hy hw hh < <(frame "$help")
xdotool mousemove $((hx + 40)) $((hy + hh - 100)) click 1   # somewhere in the tree, to focus it
xdotool key Home Return
wait_title "$help" "Start page — Справка Мнеморы" || fail "the contents did not react after a click"
shot help-used-while-modal

# Close About; Mnemora is fine.
focus "$about"; xdotool key Return   # "OK"
for _ in $(seq 50); do [ -z "$(window_named '^О программе$')" ] && break; sleep 0.1; done
[ -z "$(window_named '^О программе$')" ] || fail "About did not close"

# A viewer ended from outside while idle (its window still open): no box,
# Mnemora goes on, and the next request starts a new viewer.
pid="$(viewer_pid)"
[ -n "$pid" ] || fail "no viewer process under Mnemora"
kill -TERM "$pid"
for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$pid" 2>/dev/null && fail "the viewer did not end on TERM"
sleep 1.5
[ -z "$(window_named '^Мнемора$')" ] || fail "a box came up after the idle viewer was ended from outside"
kill -0 "$app" 2>/dev/null || fail "Mnemora ended with its viewer"
open_menu_at "$cx" "$cy"
xdotool key Down Down Down Down Right; sleep 0.3
xdotool key Return                       # "&Вызов помощи"
help="$(wait_window 'Справка Мнеморы$')" || fail "the next request opened no help window"
wait_title "$help" "General help — Справка Мнеморы" || fail "the new viewer showed '$(xdotool getwindowname "$help")'"
[ "$(viewer_pid)" != "$pid" ] || fail "the old viewer is still there"

# "&Выход": Mnemora ends, and its viewer with it.
pid="$(viewer_pid)"
open_menu_at "$cx" "$cy"
xdotool key Up; sleep 0.2
xdotool key Return
for _ in $(seq 50); do kill -0 "$app" 2>/dev/null || break; sleep 0.1; done
kill -0 "$app" 2>/dev/null && fail "Mnemora did not end"
for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$pid" 2>/dev/null && fail "the viewer outlived Mnemora"
echo "PASS: help beside the modal About window, usable while it is open, started again without a box after the idle viewer was ended"
