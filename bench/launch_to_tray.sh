#!/usr/bin/env bash
# Time from launch until the tray icon is embedded in the tray host, and the
# resident memory two seconds later, for Mnemora and for a bare Qt program
# that only shows a tray icon, alternating in the same run.
#   bench/launch_to_tray.sh <build dir> [rounds]
# The build dir needs -DMNEMORA_BENCH=ON (for bare_tray) and the program.
# Mnemora runs twice over: with a new user's store, where the start window
# opens beside the icon, and with a store whose start window is turned off,
# which is how the program sits in the tray day after day.
set -euo pipefail
build="$(cd "${1:?build dir}" && pwd)"
rounds="${2:-10}"
root="$(cd "$(dirname "$0")/.." && pwd)"
mnemora="$build/src/mnemora"
bare="$build/bench/bare_tray"

work="$(mktemp -d)"
pids=()
cleanup() { for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; wait 2>/dev/null || true; rm -rf "$work"; }
trap cleanup EXIT
for n in $(seq 150 199); do
  [ -e "/tmp/.X11-unix/X$n" ] || { export DISPLAY=":$n"; break; }
done
Xvfb "$DISPLAY" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 & pids+=($!)
for _ in $(seq 50); do xwininfo -root >/dev/null 2>&1 && break; sleep 0.1; done
trayer --edge top --align right --widthtype pixel --width 120 --height 32 >/dev/null 2>&1 & pids+=($!)
sleep 1
export XDG_RUNTIME_DIR="$work"
chmod 700 "$work"
mkdir -p "$work/quiet/Vantero"
printf 'Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software\\Vantero\\Mnemora\\1.01]\n"Start"=dword:00000000\n' \
  >"$work/quiet/Vantero/Mnemora.reg"

icon_embedded() {
  xwininfo -root -tree 2>/dev/null | awk -v name="\"$1\"" '/"panel": \("panel" "trayer"\)/ {p=1; next} p && index($0, name) {f=1} END {exit !f}'
}

# One launch: milliseconds to the icon, then resident kilobytes at rest.
measure() {
  local bin="$1" name="$2" config="$3" t0 t1 pid rss
  rm -rf "$work/new"
  t0=$(date +%s%N)
  (cd "$root/examples" && XDG_CONFIG_HOME="$config" exec "$bin") >/dev/null 2>&1 &
  pid=$!
  until icon_embedded "$name"; do
    kill -0 "$pid" 2>/dev/null || { echo "$name exited" >&2; return 1; }
  done
  t1=$(date +%s%N)
  sleep 2
  rss=$(awk '/VmRSS/ {print $2}' "/proc/$pid/status")
  kill "$pid"; wait "$pid" 2>/dev/null || true
  sleep 0.3
  echo "$(( (t1 - t0) / 1000000 )) $rss"
}

median() { sort -n | awk '{a[NR]=$1} END {print (NR % 2) ? a[(NR+1)/2] : (a[NR/2] + a[NR/2+1]) / 2}'; }

: >"$work/m" ; : >"$work/q" ; : >"$work/b"
for _ in $(seq "$rounds"); do
  measure "$mnemora" mnemora "$work/new" >>"$work/m"
  measure "$bare" bare_tray "$work/new" >>"$work/b"
  measure "$mnemora" mnemora "$work/quiet" >>"$work/q"
done
bt=$(cut -d' ' -f1 "$work/b" | median); br=$(cut -d' ' -f2 "$work/b" | median)
echo "rounds: $rounds (medians; icon polled with xwininfo, a few ms resolution)"
report() {
  local t r
  t=$(cut -d' ' -f1 "$1" | median); r=$(cut -d' ' -f2 "$1" | median)
  printf '%s\n  launch to tray icon: mnemora %s ms, bare Qt tray %s ms, ratio %.2f\n' "$2" "$t" "$bt" "$(awk -v a="$t" -v b="$bt" 'BEGIN {print a / b}')"
  printf '  resident memory at rest: mnemora %s KiB, bare Qt tray %s KiB, ratio %.2f\n' "$r" "$br" "$(awk -v a="$r" -v b="$br" 'BEGIN {print a / b}')"
}
report "$work/m" "new user's store (the start window opens beside the icon):"
report "$work/q" "start window turned off (the program at rest in the tray):"
