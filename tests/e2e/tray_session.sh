#!/usr/bin/env bash
# Starts the real program under a virtual X server with a tray host, opens
# the tray menu with a right click, begins list 1, passes the recall gate,
# stops with "&Закончить" and leaves through "&Выход".
#   tray_session.sh <mnemora binary> <examples dir> [screenshot dir]
# Exit code 77 (a skip for CTest) when the X tools are not installed.
set -uo pipefail

bin="$1"
examples="$2"
shots="${3:-}"

for tool in Xvfb trayer xdotool xwininfo; do
  if ! command -v "$tool" >/dev/null; then
    echo "SKIP: $tool is not installed, so the tray cannot be driven here"
    exit 77
  fi
done

work="$(mktemp -d)"
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
  wait 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

fail() { echo "FAIL: $*"; exit 1; }

# A display number of our own, so parallel runs do not meet.
for n in $(seq 140 199); do
  [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] || { display=":$n"; break; }
done
[ -n "${display:-}" ] || fail "no free display number"
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
pids+=($!)
export DISPLAY="$display"
for _ in $(seq 50); do xwininfo -root >/dev/null 2>&1 && break; sleep 0.1; done
xwininfo -root >/dev/null 2>&1 || fail "Xvfb did not start"

trayer --edge top --align right --widthtype pixel --width 120 --height 32 >"$work/trayer.log" 2>&1 &
pids+=($!)
sleep 1

mkdir -p "$work/config"
(cd "$examples" && XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work" exec "$bin") >"$work/mnemora.log" 2>&1 &
app=$!
pids+=($app)

# The icon is the program's window embedded in the tray host's panel.
icon=""
for _ in $(seq 100); do
  icon="$(xwininfo -root -tree 2>/dev/null | awk '/"panel": \("panel" "trayer"\)/ {p=1; next} p && /"mnemora"/ {print; exit}')"
  [ -n "$icon" ] && break
  sleep 0.1
done
[ -n "$icon" ] || { cat "$work/mnemora.log"; fail "no tray icon appeared"; }
read -r ix iy < <(echo "$icon" | sed -E 's/.* \+([0-9]+)\+([0-9]+)$/\1 \2/')
read -r iw ih < <(echo "$icon" | sed -E 's/.* ([0-9]+)x([0-9]+)\+.*/\1 \2/')
cx=$((ix + iw / 2)); cy=$((iy + ih / 2))

shot() { [ -n "$shots" ] && command -v import >/dev/null && import -window root "$shots/$1.png"; }
window_named() { xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1; }
wait_window() {
  local w=""
  for _ in $(seq 50); do w="$(window_named "$1")"; [ -n "$w" ] && { echo "$w"; return 0; }; sleep 0.1; done
  return 1
}
# Answers the modal box of the recall gate with its default button.
dismiss_box() {
  local box
  box="$(wait_window '^Мнемора$')" || fail "the recall gate showed no box"
  xdotool windowfocus --sync "$box" key Return
  for _ in $(seq 50); do [ -z "$(window_named '^Мнемора$')" ] && return 0; sleep 0.1; done
  fail "the box did not close"
}

xdotool mousemove "$cx" "$cy" click 3
sleep 0.8
xdotool key Return; sleep 0.3   # "&Сессии"
xdotool key Right; sleep 0.3    # "&Начать"
xdotool key Right; sleep 0.3    # the first list is highlighted
shot tray-menu
xdotool key Return

main="$(wait_window 'Список 1\. Общие случаи\.')" || fail "list 1 did not begin"
caption="$(xdotool getwindowname "$main")"
[ "$caption" = "Мнемора (Версия 1.01) /Список 1. Общие случаи." ] || fail "caption was '$caption'"
sleep 0.3
shot first-question

eval "$(xdotool getwindowgeometry --shell "$main")"
next_x=$((X + 96 + 37)); break_x=$((X + 184 + 37)); buttons_y=$((Y + HEIGHT - 41 + 8 + 12))
click_at() { xdotool mousemove "$1" "$2" sleep 0.1 mousedown 1 sleep 0.1 mouseup 1; }

click_at "$next_x" "$buttons_y"; dismiss_box     # "Вспомните другой случай."
click_at "$next_x" "$buttons_y"; dismiss_box     # "Вспомните самый ранний случай."
click_at "$next_x" "$buttons_y"; sleep 0.3       # through the gate to question 2
[ -z "$(window_named '^Мнемора$')" ] || fail "a third box came after the gate"
[ "$(xdotool getwindowname "$main")" = "$caption" ] || fail "the session ended at the gate"

click_at "$break_x" "$buttons_y"; sleep 0.5
xwininfo -id "$main" | grep -q IsViewable && fail "the window stayed after \"&Закончить\""

xdotool mousemove "$cx" "$cy" click 3
sleep 0.8
xdotool key Up; sleep 0.2       # wraps round to "&Выход"
xdotool key Return
for _ in $(seq 50); do kill -0 "$app" 2>/dev/null || break; sleep 0.1; done
kill -0 "$app" 2>/dev/null && fail "the program did not end through \"&Выход\""
wait "$app"; rc=$?
[ "$rc" -eq 0 ] || fail "the program ended with code $rc"
echo "PASS: tray menu, list 1, the recall gate, \"&Закончить\" and \"&Выход\""
