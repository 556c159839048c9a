# Shared by the end-to-end scripts: a work folder that goes away, the
# processes we start (stopped by their ids), a private D-Bus session bus, a
# virtual X server on a display number it picks itself, window managers and
# the tray host. Sourced, not run.

work="$(mktemp -d)"
pids=()

. "$(dirname "${BASH_SOURCE[0]}")/env.sh"
machine_independent_env "$work"
cleanup() {
  local p
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
    p="${pids[$i]}"
    kill "$p" 2>/dev/null
  done
  wait 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*"
  shot failure
  if [ -s "$work/mnemora.log" ]; then
    echo "--- program output"
    cat "$work/mnemora.log"
  fi
  exit 1
}

skip_without() {
  local tool
  for tool in "$@"; do
    if ! command -v "$tool" >/dev/null; then
      echo "SKIP: $tool is not installed, so this run cannot be driven here"
      exit 77
    fi
  done
}

not() { ! "$@"; }

# Polls a command until it succeeds: wait_for <tenths of a second> <command...>
wait_for() {
  local tries="$1"; shift
  local i
  for ((i = 0; i < tries; i++)); do
    "$@" && return 0
    sleep 0.1
  done
  return 1
}

# A session bus of our own that nothing else can reach; it starts no
# services on demand, so only what a test starts is on it.
start_bus() {
  cat >"$work/bus.conf" <<EOF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:dir=$work</listen>
  <auth>EXTERNAL</auth>
  <!-- as a desktop's session bus allows: a burst of calls is one of the tests -->
  <limit name="max_replies_per_connection">50000</limit>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
EOF
  dbus-daemon --config-file="$work/bus.conf" --nofork --print-address=3 3>"$work/bus.address" >"$work/bus.log" 2>&1 &
  pids+=($!)
  wait_for 50 test -s "$work/bus.address" || fail "the D-Bus daemon did not start"
  DBUS_SESSION_BUS_ADDRESS="$(head -n 1 "$work/bus.address")"
  export DBUS_SESSION_BUS_ADDRESS
}

# Xvfb picks a free display number itself and tells us, so parallel runs
# never meet. Without -noreset it starts afresh whenever its last client
# leaves, and a client connecting in that moment is turned away.
start_x() {
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$work/display" >"$work/xvfb.log" 2>&1 &
  pids+=($!)
  wait_for 100 test -s "$work/display" || fail "Xvfb did not start"
  DISPLAY=":$(head -n 1 "$work/display")"
  export DISPLAY
  wait_for 50 xwininfo -root >/dev/null 2>&1 || fail "Xvfb did not answer"
}

wm_running() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }

# none, openbox or xfwm4
start_wm() {
  case "$1" in
  none) return 0 ;;
  openbox) openbox --sm-disable >"$work/wm.log" 2>&1 & ;;
  xfwm4) xfwm4 --compositor=off --sm-client-disable >"$work/wm.log" 2>&1 & ;;
  *) fail "unknown window manager $1" ;;
  esac
  pids+=($!)
  wait_for 100 wm_running || { cat "$work/wm.log"; fail "$1 did not start"; }
}

start_trayer() {
  trayer --edge top --align right --widthtype pixel --width 120 --height 32 >"$work/trayer.log" 2>&1 &
  pids+=($!)
  trayer_pid=$!
  wait_for 50 sh -c 'xwininfo -root -tree | grep -q "(\"panel\" \"trayer\")"' || fail "trayer did not start"
}

# Writes the per-user store before a start: store_values '"Click"=dword:00000001' ...
store_values() {
  mkdir -p "$work/config/Vantero"
  {
    printf 'Windows Registry Editor Version 5.00\r\n\r\n'
    printf '[HKEY_CURRENT_USER\\Software\\Vantero\\Mnemora\\1.01]\r\n'
    local v
    for v in "$@"; do printf '%s\r\n' "$v"; done
  } >"$work/config/Vantero/Mnemora.reg"
}

# start_mnemora <binary> <examples dir> [extra environment...]
start_mnemora() {
  local bin="$1" examples="$2"; shift 2
  mkdir -p "$work/config" "$work/runtime"
  chmod 700 "$work/runtime"
  (cd "$examples" && exec env XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/runtime" "$@" "$bin") \
    >"$work/mnemora.log" 2>&1 &
  app=$!
  pids+=($app)
}

# Waits for the program to end by itself and checks its exit code.
app_ended() { ! kill -0 "$app" 2>/dev/null; }
expect_clean_exit() {
  wait_for 100 app_ended || fail "the program did not end"
  wait "$app"
  local rc=$?
  [ "$rc" -eq 0 ] || fail "the program ended with code $rc"
}

window_named() { xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1; }
wait_window() {
  local w="" i
  for ((i = 0; i < 100; i++)); do
    w="$(window_named "$1")"
    [ -n "$w" ] && { echo "$w"; return 0; }
    sleep 0.1
  done
  return 1
}
viewable() { xwininfo -id "$1" 2>/dev/null | grep -q IsViewable; }
# Where a window's client area is on screen, "X Y W H" (xdotool's own
# geometry counts a window manager's frame twice).
client_geometry() {
  xwininfo -id "$1" 2>/dev/null | awk '/Absolute upper-left X/ {x=$4} /Absolute upper-left Y/ {y=$4}
    /^ *Width:/ {w=$2} /^ *Height:/ {h=$2} END {print x, y, w, h}'
}
# Where the session window's ">" and "&Закончить" buttons are now.
button_row() {
  local X Y W H
  read -r X Y W H < <(client_geometry "$main")
  next_x=$((X + 96 + 37)); break_x=$((X + 184 + 37)); buttons_y=$((Y + H - 41 + 8 + 12))
}
click_at() { xdotool mousemove "$1" "$2" sleep 0.1 mousedown 1 sleep 0.1 mouseup 1; }
shot() { [ -n "${shots:-}" ] && [ -n "${DISPLAY:-}" ] && command -v import >/dev/null && import -window root "$shots/$1.png"; }

. "$(dirname "${BASH_SOURCE[0]}")/menu.sh"
