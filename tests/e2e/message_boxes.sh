#!/usr/bin/env bash
# Shows the program's message boxes on a virtual X server with no window
# manager, under openbox and under xfwm4, and checks that each box, frame
# included, has its centre at the centre of the screen (within 2 px).
# No tray host runs, so the main window stays on screen and its question
# area's right-click menu begins list 1; ">" then brings the recall gate's
# two boxes, and "&Выход" in the same menu ends the program.
#   message_boxes.sh <mnemora binary> [screenshot dir]
# Exit code 77 (a skip for CTest) when the X tools are not installed.
set -uo pipefail

bin="$(realpath "$1")"
shots="${2:-}"

for tool in Xvfb xdotool xwininfo xprop openbox xfwm4 dbus-daemon; do
  if ! command -v "$tool" >/dev/null; then
    echo "SKIP: $tool is not installed, so the boxes cannot be measured here"
    exit 77
  fi
done

work="$(mktemp -d)"
. "$(dirname "${BASH_SOURCE[0]}")/env.sh"
machine_independent_env "$work"
chmod 700 "$work"
pids=()
stop_all() {
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null; done
  wait 2>/dev/null
  pids=()
}
trap 'stop_all; rm -rf "$work"' EXIT

fail() {
  echo "FAIL ($wm): $*"
  [ -f "$work/mnemora.log" ] && cat "$work/mnemora.log"
  exit 1
}

# A data file of our own: list 1 has one question, so its recall gate shows
# two boxes while the session runs.
mkdir -p "$work/data" "$work/config/Vantero"
printf '[Disk]\r\n0=A\r\n1=B\r\n2=C\r\n[List1]\r\n0=H\r\n1=Q1\r\n' >"$work/data/Mnemora.ini"
cat >"$work/config/Vantero/Mnemora.reg" <<EOF
Windows Registry Editor Version 5.00

[HKEY_CURRENT_USER\\Software\\Vantero\\Mnemora\\1.01]
"DataFile"="$work/data/Mnemora.ini"
"Start"=dword:00000000
EOF

# Client geometry of a window: X Y W H.
client_geometry() {
  xwininfo -id "$1" 2>/dev/null | awk '/Absolute upper-left X/ {x=$4} /Absolute upper-left Y/ {y=$4}
    /Width:/ {w=$2} /Height:/ {h=$2} END {print x, y, w, h}'
}

# Twice the offset of the window's frame centre from the screen centre, "dx dy"
# (twice, so that half pixels stay whole); the frame is the client grown by the
# extents the window manager has announced, none without a window manager.
centre_offset2() {
  local x y w h l=0 r=0 t=0 b=0 ext sw sh
  read -r x y w h < <(client_geometry "$1")
  ext="$(xprop -id "$1" _NET_FRAME_EXTENTS 2>/dev/null | sed -n 's/.*= *//p' | tr -d ' ')"
  [ -n "$ext" ] && IFS=, read -r l r t b <<<"$ext"
  read -r sw sh < <(xwininfo -root | awk '/Width:/ {w=$2} /Height:/ {h=$2} END {print w, h}')
  echo $((2 * (x - l) + w + l + r - sw)) $((2 * (y - t) + h + t + b - sh))
}

window_named() { xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1; }
wait_window() {
  local w=""
  for _ in $(seq 100); do w="$(window_named "$1")"; [ -n "$w" ] && { echo "$w"; return 0; }; sleep 0.1; done
  return 1
}
click_at() { xdotool mousemove "$1" "$2" sleep 0.1 mousedown 1 sleep 0.1 mouseup 1; }
. "$(dirname "$0")/menu.sh"

run_under() {
  wm="$1"
  : >"$work/display"
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$work/display" >"$work/xvfb.log" 2>&1 &
  pids+=($!)
  for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.05; done
  [ -s "$work/display" ] || fail "Xvfb did not start"
  export DISPLAY=":$(head -n 1 "$work/display")"

  case "$wm" in
  openbox) openbox >"$work/wm.log" 2>&1 & pids+=($!) ;;
  xfwm4)
    # xfwm4 reads its settings over a session bus; it gets one of its own.
    : >"$work/bus"
    dbus-daemon --session --nofork --print-address=3 3>"$work/bus" >/dev/null 2>&1 &
    pids+=($!)
    for _ in $(seq 100); do [ -s "$work/bus" ] && break; sleep 0.05; done
    DBUS_SESSION_BUS_ADDRESS="$(head -n 1 "$work/bus")" xfwm4 --compositor=off >"$work/wm.log" 2>&1 &
    pids+=($!)
    ;;
  esac
  if [ "$wm" != none ]; then
    for _ in $(seq 300); do xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break; sleep 0.05; done
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' || fail "the window manager did not start"
  fi

  (cd "$work/data" && XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work" exec "$bin") >"$work/mnemora.log" 2>&1 &
  app=$!
  pids+=($app)

  main="$(wait_window '^Мнемора \(Версия')" || fail "the main window did not appear"
  sleep 0.5
  read -r mx my mw mh < <(client_geometry "$main")
  open_menu_at $((mx + mw / 2)) $((my + mh / 2))
  xdotool key Return; sleep 0.3   # "&Сессии"
  xdotool key Right; sleep 0.3    # "&Начать"
  xdotool key Right; sleep 0.3    # the first list is highlighted
  xdotool key Return
  for _ in $(seq 50); do xdotool getwindowname "$main" | grep -q 'Список 1' && break; sleep 0.1; done
  xdotool getwindowname "$main" | grep -q 'Список 1' || fail "list 1 did not begin"
  read -r mx my mw mh < <(client_geometry "$main")

  for n in 1 2; do
    click_at $((mx + 96 + 37)) $((my + mh - 41 + 8 + 12))   # ">"
    box="$(wait_window '^Мнемора$')" || fail "\">\" showed no box"
    # The window manager frames the box after it is mapped; give it that time.
    local dx dy
    for _ in $(seq 30); do
      read -r dx dy < <(centre_offset2 "$box")
      [ "${dx#-}" -le 4 ] && [ "${dy#-}" -le 4 ] && break
      sleep 0.1
    done
    echo "$wm, box $n: frame centre off the screen centre by $(awk -v x="$dx" -v y="$dy" 'BEGIN {printf "%.1f, %.1f", x / 2, y / 2}') px"
    [ "${dx#-}" -le 4 ] && [ "${dy#-}" -le 4 ] || fail "box $n is not centred on the screen"
    [ -n "$shots" ] && command -v import >/dev/null && import -window root "$shots/box-$wm-$n.png"
    xdotool windowfocus --sync "$box" key Return
    for _ in $(seq 50); do [ -z "$(window_named '^Мнемора$')" ] && break; sleep 0.1; done
    [ -z "$(window_named '^Мнемора$')" ] || fail "box $n did not close"
  done

  open_menu_at $((mx + mw / 2)) $((my + mh / 2))
  xdotool key Up; sleep 0.2       # wraps round to "&Выход"
  xdotool key Return
  for _ in $(seq 50); do kill -0 "$app" 2>/dev/null || break; sleep 0.1; done
  kill -0 "$app" 2>/dev/null && fail "the program did not end through \"&Выход\""
  wait "$app"
  local rc=$?
  [ "$rc" -eq 0 ] || fail "the program ended with code $rc"
  stop_all
}

for wm in none openbox xfwm4; do
  run_under "$wm"
done
echo "PASS: boxes centred with no window manager, under openbox and under xfwm4"
