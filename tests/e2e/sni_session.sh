#!/usr/bin/env bash
# The real program on a desktop whose panel shows StatusNotifierItems: a
# private D-Bus session bus with a watcher and host of our own, under a
# virtual X server with openbox. Checked:
#  - the item's title, tooltip, icon and that it asks for ContextMenu;
#  - ContextMenu opens the tray menu at the host's point, and a list begins;
#    a point far off every screen opens it on the screen;
#  - while a box is open, a burst of 10,000 ContextMenu and Activate calls
#    opens no menu and no second box, each call is answered, and the
#    program goes on;
#  - minimised into the tray, SecondaryActivate does nothing, one Activate
#    brings the window back (single-click mode);
#  - the panel restarting gets the icon again at once, with its tip;
#  - double-click mode: a panel that appears after start-up gets the icon at
#    the next minimise; one Activate does nothing, two within the
#    double-click interval bring the window back;
#  - a panel that ends for good brings the window back on screen;
#  - "&Выход" ends the program with exit code 0 and the item leaves the bus.
#   sni_session.sh <mnemora binary> <examples dir> [screenshot dir]
# Exit code 77 (a skip for CTest) when the tools are not installed.
set -uo pipefail

bin="$(realpath "$1")"
examples="$(realpath "$2")"
shots="${3:-}"
here="$(cd "$(dirname "$0")" && pwd)"
. "$here/lib.sh"

skip_without Xvfb xdotool xwininfo xprop dbus-daemon openbox
if ! /usr/bin/python3 -c 'from gi.repository import Gio' 2>/dev/null; then
  echo "SKIP: python3-gi is not installed, so there is no status-notifier host to drive"
  exit 77
fi
host() { /usr/bin/python3 "$here/sni_host.py" "$@"; }

start_bus
start_x
start_wm openbox

start_watcher() {
  : >"$work/watcher.log"
  /usr/bin/python3 "$here/sni_host.py" watch "$work/watcher.log" &
  watcher=$!
  pids+=($watcher)
  wait_for 50 grep -qs watching "$work/watcher.log" || fail "our watcher did not start"
}
registered() { grep -qs "^registered" "$work/watcher.log"; }
item_service() {
  wait_for 50 registered || fail "the item did not register with the watcher${1:+ ($1)}"
  service="$(awk '/^registered/ {s = $2} END {print s}' "$work/watcher.log")"
}
expect() {  # expect <what> <actual> <wanted>
  [ "$2" = "$3" ] || fail "$1 was '$2', not '$3'"
}

visible_menu() {
  xwininfo -root -tree | awk '/"mnemora": \("mnemora" "mnemora"\)/ && $0 !~ /Мнемора/ {print; exit}'
}
main_window() { window_named "$1"; }
not_viewable() { ! viewable "$main"; }
minimise() {
  xdotool windowminimize "$main"
  wait_for 50 not_viewable || fail "minimising left the session window on screen"
  sleep 0.5
  viewable "$main" && fail "the session window came back by itself"
  return 0
}
end_session() {
  button_row
  click_at "$break_x" "$buttons_y"
  wait_for 30 not_viewable || fail "the window stayed after \"&Закончить\""
}
leave() {
  host call "$service" ContextMenu 200 200
  wait_for 30 test -n "$(visible_menu)" || fail "ContextMenu opened no menu"
  xdotool key Up; sleep 0.2       # wraps round to "&Выход"
  xdotool key Return
  expect_clean_exit
  wait_for 30 grep -qs "^unregistered $service" "$work/watcher.log" || fail "the item stayed on the bus"
}

# 1. Single-click mode, first start, the panel already there.
start_watcher
start_mnemora "$bin" "$examples"
item_service
expect "the title" "$(host get "$service" Title)" "Мнемора"
expect "the tooltip" "$(host tooltip "$service")" "Мнемора (Версия 1.01) "
expect "the menu path" "$(host get "$service" Menu)" "/NO_DBUSMENU"
expect "ItemIsMenu" "$(host get "$service" ItemIsMenu)" "False"
# Each size a panel may draw, from the icon drawn for it, not scaled from one.
sizes="$(host icon-sizes "$service")"
for side in 16 22 24 32 48; do
  echo "$sizes" | grep -qw "${side}x$side" || fail "the item carries no $side x $side icon (it has: $sizes)"
done

host call "$service" ContextMenu 300 400
wait_for 30 test -n "$(visible_menu)" || fail "ContextMenu opened no menu"
menu="$(visible_menu)"
[[ "$menu" == *" +300+400" ]] || fail "the menu opened at the wrong place: $menu"
shot tray-menu-sni
xdotool key Down; sleep 0.2     # "&Сессии"
xdotool key Right; sleep 0.3
xdotool key Right; sleep 0.3    # "&Начать" opens, its first list highlighted
xdotool key Return
main="$(wait_window 'Список 1\. Общие случаи\.')" || fail "list 1 did not begin from the menu"

# A point no screen has: the menu opens on the screen all the same.
host call "$service" ContextMenu 2147483647 2147483647
wait_for 30 test -n "$(visible_menu)" || fail "ContextMenu far off screen opened no menu"
read -r mx my < <(visible_menu | sed -n 's/.* +\(-\?[0-9]*\)+\(-\?[0-9]*\)$/\1 \2/p')
[ "${mx:-99999}" -ge 0 ] && [ "$mx" -lt 1024 ] && [ "${my:-99999}" -ge 0 ] && [ "$my" -lt 768 ] ||
  fail "the menu for a point far off screen opened at $mx,$my"
xdotool key Escape
wait_for 30 test -z "$(visible_menu)" || fail "Escape left the menu open"

# Under a box the panel can open, step or end nothing.
boxes() { xdotool search --onlyvisible --name '^Мнемора$' 2>/dev/null | wc -l; }
button_row
click_at "$next_x" "$buttons_y"
box="$(wait_window '^Мнемора$')" || fail "\">\" showed no box"
for how in ContextMenu Activate; do
  answers="$(host burst "$service" 10000 "$how")"
  [ "$answers" = "answered 10000 errors 0 unanswered 0" ] || fail "a burst of $how under a box: $answers"
done
sleep 0.5
kill -0 "$app" 2>/dev/null || fail "the program ended under the burst"
[ -z "$(visible_menu)" ] || fail "ContextMenu opened the menu under a box"
[ "$(boxes)" -eq 1 ] || fail "$(boxes) boxes after the burst, not one"
shot sni-burst-under-box
xdotool windowfocus --sync "$box" key Return
wait_for 50 test "$(boxes)" -eq 0 || fail "the box did not close"

minimise
host call "$service" SecondaryActivate 10 10
sleep 0.6
viewable "$main" && fail "SecondaryActivate brought the window back"
[ -z "$(visible_menu)" ] || fail "SecondaryActivate opened the menu"
host call "$service" Activate 10 10
wait_for 30 viewable "$main" || fail "Activate did not bring the window back"

# The panel restarts: the item is back at once, with the tip it had.
kill "$watcher"; wait "$watcher" 2>/dev/null
start_watcher
item_service "after the panel restarted"
expect "the tooltip after the restart" "$(host tooltip "$service")" "Мнемора (Версия 1.01) "

end_session
leave

# 2. Double-click mode; the panel comes after the program.
kill "$watcher"; wait "$watcher" 2>/dev/null
store_values '"Click"=dword:00000001' '"Start"=dword:00000000'
start_mnemora "$bin" "$examples"
# With no tray at all the main window stays on screen, reachable.
main="$(wait_window '^Мнемора \(Версия 1\.01\) $')" || fail "with no tray the main window was not shown"
start_watcher
sleep 0.5
registered && fail "the item registered before the next minimise"
minimise
item_service "at the minimise after the panel appeared"
host call "$service" Activate 10 10
sleep 0.8   # well past the double-click interval
viewable "$main" && fail "one Activate restored in double-click mode"
host double "$service" 100
wait_for 30 viewable "$main" || fail "two Activate calls did not bring the window back"

# The panel ends for good while the window is in the tray: after a grace
# time for a restart, the window comes back on screen; a panel that starts
# later gets the icon at the next minimise.
minimise
kill "$watcher"; wait "$watcher" 2>/dev/null
wait_for 80 viewable "$main" || fail "the window stayed out of reach after the panel ended"
start_watcher
minimise
item_service "at the minimise after the panel came back"
host double "$service" 100
wait_for 30 viewable "$main" || fail "the icon of the new panel did not bring the window back"
leave

echo "PASS: status-notifier item: title, tooltip, icon, ContextMenu at the host's point and on screen for any point, nothing from the panel under a box (10,000 calls), Activate in both modes, SecondaryActivate, a restarting, a late and a vanished panel, \"&Выход\""
