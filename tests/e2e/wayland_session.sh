#!/usr/bin/env bash
# The real program on a Wayland desktop: weston's headless back end, Qt's
# Wayland platform, and a status-notifier watcher and host of our own on a
# private D-Bus session bus. There the program cannot place a pop-up menu at
# a point of its own, so the host draws the tray menu from DBusMenu. Checked:
#  - the item registers and offers its menu at /MenuBar, whose layout is the
#    tray menu;
#  - a list begins from the host's menu: the session window is on screen (its
#    yellow question text is in a screenshot) and the menu follows the
#    session ("&Начать" greyed, and so the lists under it, "&Закончить"
#    enabled);
#  - the menu exports EventGroup, GetGroupProperties and
#    ItemsPropertiesUpdated, and GetProperty answers an unknown item or
#    property with an error, not silence;
#  - Activate while the window is shown and ContextMenu leave things working;
#  - "&Закончить" from the menu (sent as an EventGroup) ends the session and
#    the window goes;
#  - "&Выход" ends the program with exit code 0 and the item leaves the bus;
#  - with the data file missing, 10,000 clicks on a list in a burst (Event
#    and EventGroup calls) are all answered and show one box, not a box
#    inside a box, and the program goes on.
# There is no way to press keys or click in weston's headless back end, so
# what needs the pointer (the title bar's minimise button) is covered by the
# window tests.
#   wayland_session.sh <mnemora binary> <examples dir> [screenshot dir]
# Exit code 77 (a skip for CTest) when the tools are not installed.
set -uo pipefail

bin="$(realpath "$1")"
examples="$(realpath "$2")"
shots="${3:-}"
here="$(cd "$(dirname "$0")" && pwd)"
. "$here/lib.sh"

skip_without weston weston-screenshooter dbus-daemon convert
if ! /usr/bin/python3 -c 'from gi.repository import Gio' 2>/dev/null; then
  echo "SKIP: python3-gi is not installed, so there is no status-notifier host to drive"
  exit 77
fi
if ! ls /usr/lib/*/qt6/plugins/platforms/libqwayland-generic.so >/dev/null 2>&1; then
  echo "SKIP: Qt's Wayland platform (qt6-wayland) is not installed"
  exit 77
fi
host() { /usr/bin/python3 "$here/sni_host.py" "$@"; }
unset DISPLAY
# In a sanitizer build: Mesa, which Qt's Wayland platform starts for EGL,
# has no frame pointers, so the fast unwinder stops inside it and a leak
# report could not say which library allocated (see tests/lsan.supp).
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}fast_unwind_on_malloc=0"

mkdir -p "$work/runtime"
chmod 700 "$work/runtime"
export XDG_RUNTIME_DIR="$work/runtime"
socket="wayland-mnemora-$$"
# --debug lets weston-screenshooter take pictures.
weston --backend=headless-backend.so --use-pixman --width=1024 --height=768 --socket="$socket" \
  --idle-time=0 --no-config --debug >"$work/weston.log" 2>&1 &
pids+=($!)
wait_for 100 test -S "$XDG_RUNTIME_DIR/$socket" || { cat "$work/weston.log"; fail "weston did not start"; }
export WAYLAND_DISPLAY="$socket"

start_bus
/usr/bin/python3 "$here/sni_host.py" watch "$work/watcher.log" &
pids+=($!)
wait_for 50 grep -qs watching "$work/watcher.log" || fail "our watcher did not start"

# Counts the pure yellow pixels on screen: the session window's question text.
yellow_pixels() {
  local dir="$work/shot"
  rm -rf "$dir"; mkdir -p "$dir"
  (cd "$dir" && weston-screenshooter >/dev/null 2>&1)
  local file
  file="$(ls "$dir"/*.png 2>/dev/null | head -n 1)"
  [ -n "$file" ] || fail "weston-screenshooter took no picture"
  [ -n "$shots" ] && [ -n "${1:-}" ] && cp "$file" "$shots/$1.png"
  convert "$file" -fill black +opaque '#FFFF00' -fill white -opaque '#FFFF00' -format '%[fx:round(mean*w*h)]' info:
}
item_state() { host menu "$service" | awk -v want="$1" '{state = $3; $1 = $2 = $3 = ""; sub(/^ +/, "")} $0 == want {print state; exit}'; }
session_running() { [ "$(item_state Начать)" = off ] && [ "$(item_state Закончить)" = on ]; }
session_idle() { [ "$(item_state Начать)" = on ] && [ "$(item_state Закончить)" = off ]; }

store_values '"Start"=dword:00000000'
start_mnemora "$bin" "$examples" QT_QPA_PLATFORM=wayland XDG_RUNTIME_DIR="$XDG_RUNTIME_DIR" WAYLAND_DISPLAY="$socket"
wait_for 100 grep -qs "^registered" "$work/watcher.log" || fail "the item did not register with the watcher"
service="$(awk '/^registered/ {print $2; exit}' "$work/watcher.log")"

[ "$(host get "$service" Menu)" = "/MenuBar" ] || fail "the menu is not offered over DBusMenu"
[ "$(host get "$service" Title)" = "Мнемора" ] || fail "the title is not the application's"
top="$(host menu "$service" | awk '$1 == 1' | cut -d' ' -f4- | tr '\n' ' ')"
[ "$top" = "Сессии Заполнение тестов Настройка Помощь - Выход " ] || fail "the host sees the menu as: $top"
session_idle || fail "the menu does not show an idle program"
[ "$(yellow_pixels)" -eq 0 ] || fail "a session window is on screen before any list was begun"

host click "$service" Сессии Начать "Список 1. Общие случаи." || fail "the host could not choose list 1"
wait_for 50 session_running || fail "list 1 did not begin from the host's menu"
sleep 0.5
[ "$(yellow_pixels wayland-session)" -gt 100 ] || fail "the session window is not on screen"

host call "$service" Activate 0 0
host call "$service" ContextMenu 100 100
sleep 0.5
session_running || fail "Activate or ContextMenu disturbed the session"
[ "$(item_state "Список 4. Стандартный процессинг.")" = off ] || fail "a list under the greyed \"&Начать\" is offered"

members="$(host members "$service" /MenuBar com.canonical.dbusmenu | sort | tr '\n' ' ')"
for m in EventGroup GetGroupProperties ItemsPropertiesUpdated; do
  [[ " $members" == *" $m "* ]] || fail "the menu does not export $m (it has: $members)"
done
[ "$(host property "$service" 1 label)" = "_Сессии" ] || fail "GetProperty did not give the first item's label"
for probe in "1 no-such-property" "99999 label"; do
  answer="$(host property "$service" $probe)"
  [ "$answer" = "error org.freedesktop.DBus.Error.InvalidArgs" ] || fail "GetProperty $probe answered: $answer"
done

host click-group "$service" Сессии Закончить || fail "the host could not choose \"&Закончить\""
wait_for 50 session_idle || fail "\"&Закончить\" did not end the session"
sleep 0.5
[ "$(yellow_pixels)" -eq 0 ] || fail "the session window stayed on screen after \"&Закончить\""

host click "$service" Выход || fail "the host could not choose \"&Выход\""
expect_clean_exit
wait_for 30 grep -qs "^unregistered $service" "$work/watcher.log" || fail "the item stayed on the bus"

# The state after an install started from the desktop menu: no data file,
# so each list chosen shows a box. Every window the program opens is one
# xdg_toplevel in the protocol log.
store_values '"Start"=dword:00000000' '"DataFile"="/nonexistent/Mnemora.ini"'
: >"$work/watcher.log"
start_mnemora "$bin" "$examples" QT_QPA_PLATFORM=wayland XDG_RUNTIME_DIR="$XDG_RUNTIME_DIR" WAYLAND_DISPLAY="$socket" \
  WAYLAND_DEBUG=client
wait_for 100 grep -qs "^registered" "$work/watcher.log" || fail "the item did not register again"
service="$(awk '/^registered/ {print $2; exit}' "$work/watcher.log")"
toplevels() { grep -c 'get_toplevel' "$work/mnemora.log"; }
before="$(toplevels)"
answers="$(host burst "$service" 10000 click Сессии Начать "Список 1. Общие случаи.")"
[ "$answers" = "answered 10000 errors 0 unanswered 0" ] || fail "a burst of clicks: $answers"
sleep 1
app_ended && fail "the program ended under the burst"
opened=$(($(toplevels) - before))
[ "$opened" -eq 1 ] || fail "the burst opened $opened windows, not one box"
rss="$(awk '/^VmRSS/ {print $2}' "/proc/$app/status")"
echo "after the burst: one box, ${rss} kB resident"
kill "$app"
echo "PASS: Wayland (weston): the host's menu begins and ends a session, \"&Выход\" ends the program cleanly, a burst of clicks shows one box"
