#!/usr/bin/env bash
# The real program under a virtual X server with an XEmbed tray host
# (trayer) and the given window manager (none, openbox or xfwm4). Twice:
#  1. single-click mode, first start: begin list 1 from the tray menu, pass
#     the recall gate, minimise the session window into the tray and bring
#     it back with a click, twice; stop with "&Закончить", leave with "&Выход";
#  2. double-click mode: minimise, a single click leaves the window in the
#     tray, a double click brings it back; stop, leave;
#  3. the tray host ends for good with the window in it: the window comes
#     back and stays reachable; leave through its own menu.
# Each time the program must end with exit code 0.
#   tray_session.sh <mnemora binary> <examples dir> <none|openbox|xfwm4> [screenshot dir]
# Exit code 77 (a skip for CTest) when the tools are not installed.
set -uo pipefail

bin="$(realpath "$1")"
examples="$(realpath "$2")"
wm="${3:-none}"
shots="${4:-}"
here="$(cd "$(dirname "$0")" && pwd)"
. "$here/lib.sh"

skip_without Xvfb trayer xdotool xwininfo xprop dbus-daemon
case "$wm" in
none) [ -x /usr/bin/python3 ] || { echo "SKIP: python3 is needed to minimise without a window manager"; exit 77; } ;;
*) skip_without "$wm" ;;
esac

# A bus of our own: no status-notifier watcher on it, so the XEmbed tray is
# the one in use, and xfwm4 finds no settings daemon to wait for.
start_bus
start_x
start_wm "$wm"
start_trayer

# The icon is the program's window embedded in the tray host's panel.
find_icon() {
  app_ended && fail "the program ended before its icon appeared"
  find_icon_quietly
}

find_icon_quietly() { icon="$(xwininfo -root -tree 2>/dev/null | awk '/\("panel" "trayer"\)/ {p=1; next} p && /"mnemora"/ {print; exit}')"; [ -n "$icon" ]; }

locate_icon() {
  wait_for 100 find_icon || fail "no tray icon appeared"
  local ix iy iw ih
  read -r ix iy < <(echo "$icon" | sed -E 's/.* \+(-?[0-9]+)\+(-?[0-9]+)$/\1 \2/')
  read -r iw ih < <(echo "$icon" | sed -E 's/.* ([0-9]+)x([0-9]+)\+.*/\1 \2/')
  cx=$((ix + iw / 2)); cy=$((iy + ih / 2))
}

# Answers the modal box of the recall gate with its default button.
dismiss_box() {
  local box
  box="$(wait_window '^Мнемора$')" || fail "the recall gate showed no box"
  xdotool windowfocus --sync "$box" key Return
  wait_for 50 test -z "$(window_named '^Мнемора$')" || fail "the box did not close"
}

begin_list_1() {
  open_menu_at "$cx" "$cy"
  xdotool key Return; sleep 0.3   # "&Сессии"
  xdotool key Right; sleep 0.3    # "&Начать"
  xdotool key Right; sleep 0.3    # the first list is highlighted
  [ -n "${1:-}" ] && shot "$1"
  xdotool key Return
  main="$(wait_window 'Список 1\. Общие случаи\.')" || fail "list 1 did not begin"
  caption="$(xdotool getwindowname "$main")"
  [ "$caption" = "Мнемора (Версия 1.01) /Список 1. Общие случаи." ] || fail "caption was '$caption'"
  sleep 0.3
}

pass_the_gate() {
  button_row
  click_at "$next_x" "$buttons_y"; dismiss_box     # "Вспомните другой случай."
  click_at "$next_x" "$buttons_y"; dismiss_box     # "Вспомните самый ранний случай."
  click_at "$next_x" "$buttons_y"; sleep 0.3       # through the gate to question 2
  [ -z "$(window_named '^Мнемора$')" ] || fail "a third box came after the gate"
}

# Minimised the way the desktop does it: the window manager's iconify, or
# with none, the same change of state made from outside.
minimise() {
  if [ "$wm" = none ]; then
    /usr/bin/python3 "$here/wm_state.py" "$main" iconic || fail "could not iconify the window"
  else
    xdotool windowminimize "$main"
  fi
  wait_for 50 not_viewable || fail "minimising left the session window on screen ($1)"
  # Some managers took the program's own hiding for a restore and showed
  # the window again a moment later.
  sleep 0.6
  viewable "$main" && fail "the session window came back by itself after minimising ($1)"
  return 0
}
not_viewable() { ! viewable "$main"; }

expect_restored() {
  wait_for 30 viewable "$main" || fail "the $1 did not bring the session window back"
  # A manager marks a window it shows again as normal; with none, we do.
  if [ "$wm" = none ]; then
    /usr/bin/python3 "$here/wm_state.py" "$main" normal || fail "could not mark the window normal"
  fi
  [ "$(xdotool getwindowname "$main")" = "$caption" ] || fail "the session changed while in the tray"
  sleep 0.3
}

end_and_leave() {
  button_row
  click_at "$break_x" "$buttons_y"
  wait_for 30 not_viewable || fail "the window stayed after \"&Закончить\""
  open_menu_at "$cx" "$cy"
  xdotool key Up; sleep 0.2       # wraps round to "&Выход"
  xdotool key Return
  expect_clean_exit
}

# 1. Single-click mode, as a first start leaves it.
start_mnemora "$bin" "$examples"
locate_icon
begin_list_1 "tray-menu-$wm"
shot "first-question-$wm"
pass_the_gate
for round in first second; do
  minimise "$round time"
  xdotool mousemove "$cx" "$cy" click 1
  expect_restored "single click ($round time)"
done
end_and_leave

# 2. Double-click mode; the tray host restarts on the way and gets the
# icon again.
store_values '"Click"=dword:00000001' '"Start"=dword:00000000'
start_mnemora "$bin" "$examples"
locate_icon
kill "$trayer_pid"
wait_for 50 not find_icon_quietly || fail "the old tray host did not go"
start_trayer
locate_icon
begin_list_1
minimise "double-click mode"
xdotool mousemove "$cx" "$cy" click 1
sleep 0.8   # well past the double-click interval
viewable "$main" && fail "a single click restored in double-click mode"
xdotool mousemove "$cx" "$cy" click --repeat 2 --delay 80 1
expect_restored "double click"
end_and_leave

# 3. The tray host ends for good while the session window is in it: the
# window comes back on screen, stays there after "&Закончить", and the menu
# of its question area still leads out.
start_mnemora "$bin" "$examples"
locate_icon
begin_list_1
minimise "before the tray goes"
kill "$trayer_pid"
wait_for 100 viewable "$main" || fail "the session window stayed hidden after the tray host ended"
[ "$wm" = none ] && { /usr/bin/python3 "$here/wm_state.py" "$main" normal || fail "could not mark the window normal"; }
sleep 0.3
button_row
click_at "$break_x" "$buttons_y"
sleep 1
viewable "$main" || fail "with no tray, \"&Закончить\" hid the window where nothing could bring it back"
read -r X Y W H < <(client_geometry "$main")
open_menu_at $((X + W / 2)) $((Y + H / 2))
xdotool key Up; sleep 0.2       # wraps round to "&Выход"
xdotool key Return
expect_clean_exit

echo "PASS ($wm): tray menu, list 1, the recall gate, minimise and restore by single and double click, \"&Закончить\", \"&Выход\", the window back when the tray host ends"
