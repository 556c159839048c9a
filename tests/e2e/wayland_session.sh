#!/usr/bin/env bash
# The real program on a Wayland desktop: weston's headless back end, Qt's
# Wayland platform, and a status-notifier watcher and host of our own on a
# private D-Bus session bus. There the program cannot place a pop-up menu at
# a point of its own, so the host draws the tray menu from DBusMenu. Checked:
#  - the item registers and offers its menu at /MenuBar, whose layout is the
#    tray menu;
#  - a list begins from the host's menu: the session window is on screen (its
#    yellow question text is in a screenshot) and the menu follows the
#    session ("&Начать" greyed, "&Закончить" enabled);
#  - Activate while the window is shown and ContextMenu leave things working;
#  - "&Закончить" from the menu ends the session and the window goes;
#  - "&Выход" ends the program with exit code 0 and the item leaves the bus.
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

host click "$service" Сессии Закончить || fail "the host could not choose \"&Закончить\""
wait_for 50 session_idle || fail "\"&Закончить\" did not end the session"
sleep 0.5
[ "$(yellow_pixels)" -eq 0 ] || fail "the session window stayed on screen after \"&Закончить\""

host click "$service" Выход || fail "the host could not choose \"&Выход\""
expect_clean_exit
wait_for 30 grep -qs "^unregistered $service" "$work/watcher.log" || fail "the item stayed on the bus"
echo "PASS: Wayland (weston): the host's menu begins and ends a session, \"&Выход\" ends the program cleanly"
