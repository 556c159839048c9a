# Shared by the end-to-end runs of the Windows program under wine: a work
# folder that goes away, a wine prefix and a virtual X server of the run's
# own, the processes we start (stopped by their ids), the registry read back,
# windows found by title, screenshots. Sourced, not run.
#
# A run that sources this calls, in order: wine_require (exit 77 where wine
# cannot run), wine_display, wine_prefix; then starts programs with
# wine_start and looks with wine_window, wine_reg_value and wine_shot.

wine_work="$(mktemp -d)"
wine_pids=()
wine64=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver
# Where wine_shot also copies its pictures (optional).
: "${WINE_SHOTS_DIR:=}"

wine_cleanup() {
  local i
  # The prefix's own server ends every program started in it, and only those.
  if [ -n "${WINEPREFIX:-}" ] && [ -d "$WINEPREFIX" ]; then
    "$wineserver" -k 2>/dev/null || true
  fi
  for ((i = ${#wine_pids[@]} - 1; i >= 0; i--)); do
    kill "${wine_pids[$i]}" 2>/dev/null || true
  done
  wait 2>/dev/null || true
  rm -rf "$wine_work"
}
trap wine_cleanup EXIT

wine_fail() {
  echo "FAIL: $*"
  wine_shot failure || true
  local log
  for log in "$wine_work"/*.log; do
    [ -s "$log" ] || continue
    echo "--- $(basename "$log")"
    tail -n 40 "$log"
  done
  exit 1
}

# Skips the run (exit 77), saying why, where wine or the X tools are missing.
wine_require() {
  if [ ! -x "$wine64" ] || [ ! -x "$wineserver" ]; then
    echo "SKIP: wine64 is not installed ($wine64), so the Windows program cannot run here"
    exit 77
  fi
  local tool
  for tool in Xvfb xdotool import "$@"; do
    if ! command -v "$tool" >/dev/null; then
      echo "SKIP: $tool is not installed, so this run cannot be driven here"
      exit 77
    fi
  done
}

# Polls a command until it succeeds: wine_wait <tenths of a second> <command...>
wine_wait() {
  local tries="$1" i
  shift
  for ((i = 0; i < tries; i++)); do
    "$@" && return 0
    sleep 0.1
  done
  return 1
}

# A virtual X server on a display number it picks itself.
wine_display() {
  local size="${1:-1024x768x24}"
  Xvfb -displayfd 3 -screen 0 "$size" -nolisten tcp 3>"$wine_work/display" >"$wine_work/xvfb.log" 2>&1 &
  wine_pids+=($!)
  wine_wait 100 test -s "$wine_work/display" || wine_fail "Xvfb did not start"
  DISPLAY=":$(head -n 1 "$wine_work/display")"
  export DISPLAY
}

# openbox as window manager, for runs that need focus and key presses.
wine_window_manager() {
  command -v openbox >/dev/null || return 0
  openbox --sm-disable >"$wine_work/openbox.log" 2>&1 &
  wine_pids+=($!)
  sleep 0.5
}

# A fresh 64-bit prefix in the work folder, made without a question or a
# window: no .NET or browser engine download, no menu entries written into
# the user's home.
wine_prefix() {
  export WINEPREFIX="$wine_work/prefix"
  export WINEARCH=win64
  export WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
  "$wine64" wineboot --init >"$wine_work/wineboot.log" 2>&1 </dev/null || wine_fail "wineboot failed"
  "$wineserver" -w
}

# The prefix's C: drive as a Unix path.
wine_c() { printf '%s/drive_c' "$WINEPREFIX"; }

# Runs a Windows program to its end: wine_run <log name> <program> [args...]
wine_run() {
  local log="$1"
  shift
  "$wine64" "$@" >"$wine_work/$log.log" 2>&1 </dev/null
}

# Starts a Windows program in the background; its process id is in
# wine_last_pid (the wine process is the program itself).
wine_start() {
  local log="$1"
  shift
  "$wine64" "$@" >"$wine_work/$log.log" 2>&1 </dev/null &
  wine_last_pid=$!
  wine_pids+=("$wine_last_pid")
}

# The same, with a Unix folder as the program's current folder, as a
# shortcut's working folder gives it: wine_start_in <dir> <log> <program>...
wine_start_in() {
  local dir="$1" log="$2"
  shift 2
  (cd "$dir" && exec "$wine64" "$@") >"$wine_work/$log.log" 2>&1 </dev/null &
  wine_last_pid=$!
  wine_pids+=("$wine_last_pid")
}

# The data of one registry value as `reg query` prints it (0x1 for a
# number), or nothing when the key or value is missing.
wine_reg_value() {
  local key="$1" name="$2"
  "$wine64" reg query "$key" /v "$name" 2>/dev/null </dev/null | tr -d '\r' |
    awk -v n="$name" '$1 == n { $1 = ""; $2 = ""; sub(/^ +/, ""); print; exit }'
}

wine_reg_add() {
  "$wine64" reg add "$@" /f >/dev/null 2>&1 </dev/null
}

# The id of the first visible window whose title matches the pattern
# (a regular expression); fails when there is none.
wine_window() {
  local id
  id="$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1)"
  [ -n "$id" ] && printf '%s\n' "$id"
}

wine_wait_window() {
  wine_wait "$1" wine_window "$2" >/dev/null
}

# Titles of every visible window, one a line.
wine_titles() {
  local id
  for id in $(xdotool search --onlyvisible --name '.' 2>/dev/null); do
    xdotool getwindowname "$id" 2>/dev/null
  done
}

# The whole screen, or one window (wine_shot <name> [window id]), as
# $wine_work/<name>.png and a copy in $WINE_SHOTS_DIR.
wine_shot() {
  [ -n "${DISPLAY:-}" ] || return 1
  local file="$wine_work/$1.png"
  if [ -n "${2:-}" ]; then
    import -window "$2" "$file" 2>/dev/null || return 1
  else
    import -window root "$file" 2>/dev/null || return 1
  fi
  if [ -n "$WINE_SHOTS_DIR" ]; then
    mkdir -p "$WINE_SHOTS_DIR" && cp "$file" "$WINE_SHOTS_DIR/"
  fi
}
