#!/usr/bin/env bash
# How often Mnemora and its help viewer wake while they sit idle, next to a
# bare Qt tray program, and whether a viewer whose window was closed ends by
# itself. A wake-up is a context switch of any of the process's threads
# (/proc/PID/task/*/status), counted over a quiet window of seconds.
#   bench/wakeups_at_rest.sh <build dir> [seconds, default 10] [idle exit wait, default 75]
# The build dir needs -DMNEMORA_BENCH=ON (for bare_tray), the program, its
# viewer and vantero.chm. Needs Xvfb, trayer, openbox and xdotool.
set -euo pipefail
build="$(cd "${1:?build dir}" && pwd)"
span="${2:-10}"
exitwait="${3:-75}"
root="$(cd "$(dirname "$0")/.." && pwd)"

work="$(mktemp -d)"
pids=()
cleanup() { for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; wait 2>/dev/null || true; rm -rf "$work"; }
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp -noreset 3>"$work/display" >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(head -n 1 "$work/display")"
for _ in $(seq 50); do xwininfo -root >/dev/null 2>&1 && break; sleep 0.1; done
openbox >/dev/null 2>&1 & pids+=($!)
trayer --edge top --align right --widthtype pixel --width 120 --height 32 >/dev/null 2>&1 & pids+=($!)
sleep 1
export XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work"

switches() {  # every thread's context switches, summed
  cat /proc/"$1"/task/*/status 2>/dev/null | awk '/ctxt_switches/ {n += $2} END {print n + 0}'
}
wakeups() {  # pid: switches over the span
  local a b
  a=$(switches "$1"); sleep "$span"; b=$(switches "$1")
  echo $((b - a))
}
icon_of() {
  xwininfo -root -tree 2>/dev/null | awk -v name="\"$1\"" '/"panel": \("panel" "trayer"\)/ {p=1; next} p && index($0, name) {print; exit}'
}
wait_icon() {
  local icon=""
  for _ in $(seq 100); do icon="$(icon_of "$1" || true)"; [ -n "$icon" ] && break; sleep 0.1; done
  [ -n "$icon" ] || fail "no tray icon for $1"
  echo "$icon"
}

# The floor: a bare Qt tray icon.
"$build/bench/bare_tray" >/dev/null 2>&1 &
bare=$!
pids+=($bare)
wait_icon bare_tray >/dev/null
sleep 2
bare_w=$(wakeups "$bare")
kill "$bare"; wait "$bare" 2>/dev/null || true

(cd "$root/examples" && exec "$build/src/mnemora") >"$work/mnemora.log" 2>&1 &
app=$!
pids+=($app)
icon="$(wait_icon mnemora)"
sleep 2
app_w=$(wakeups "$app")

# One help request from the tray menu, then the help window closed.
read -r ix iy < <(echo "$icon" | sed -E 's/.* \+([0-9]+)\+([0-9]+)$/\1 \2/')
fail() { echo "FAIL: $*" >&2; cat "$work/mnemora.log" >&2; exit 1; }
. "$root/tests/e2e/menu.sh"
open_menu_at $((ix + 8)) $((iy + 8))
xdotool key Down Down Down Down Right; sleep 0.3
xdotool key Return
help=""
for _ in $(seq 100); do help="$(xdotool search --onlyvisible --name 'Справка Мнеморы$' 2>/dev/null | head -n 1)" || true; [ -n "$help" ] && break; sleep 0.1; done
[ -n "$help" ] || fail "no help window"
viewer="$(pgrep -P "$app" -f mnemora-help | head -n 1)"
[ -n "$viewer" ] || fail "no viewer process"
sleep 1
xdotool windowactivate --sync "$help" key alt+F4
for _ in $(seq 50); do [ -z "$(xdotool search --onlyvisible --name 'Справка Мнеморы$' 2>/dev/null)" ] && break; sleep 0.1; done
sleep 2
kill -0 "$viewer" 2>/dev/null || fail "the viewer ended at once when its window closed"
app_rss=$(awk '/VmRSS/ {print $2}' "/proc/$app/status")
viewer_rss=$(awk '/VmRSS/ {print $2}' "/proc/$viewer/status")
a0=$(switches "$app"); v0=$(switches "$viewer")
sleep "$span"
app_after=$(( $(switches "$app") - a0 ))
viewer_w=$(( $(switches "$viewer") - v0 ))

echo "wake-ups in ${span} s at rest (context switches of all threads):"
echo "  bare Qt tray icon:                 $bare_w"
echo "  Mnemora, no help asked yet:        $app_w"
echo "  Mnemora, help window closed:       $app_after"
echo "  help viewer, its window closed:    $viewer_w"
echo "resident memory with the viewer's window closed: Mnemora ${app_rss} KiB + viewer ${viewer_rss} KiB"

left=$((exitwait - span - 2))
gone=""
for _ in $(seq $((left > 0 ? left * 10 : 1))); do
  kill -0 "$viewer" 2>/dev/null || { gone=1; break; }
  sleep 0.1
done
if [ -n "$gone" ]; then
  echo "the viewer ended by itself within ${exitwait} s of its window closing"
else
  echo "the viewer still runs ${exitwait} s after its window closed"
fi
