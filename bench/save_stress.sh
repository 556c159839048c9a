#!/usr/bin/env bash
# Kills a saving process at random moments and counts what a kill cost:
#   lost     the file is gone, or holds a generation older than the last save
#            that had returned (old bytes lost)
#   partial  the file is there but is not one whole generation
#   temps    temporary files left right after a kill (a later save removes them)
#   stray    temporary files still there after the next save has returned
# Not part of the test command; run it by hand:
#   bench/save_stress.sh <build dir with -DMNEMORA_BENCH=ON> [kills] [folder]
set -euo pipefail

build="${1:?build dir}"
kills="${2:-1000}"
base="${3:-${TMPDIR:-/tmp}}"
driver="$build/bench/save_stress_driver"
[ -x "$driver" ] || { echo "no $driver: configure with -DMNEMORA_BENCH=ON and build save_stress_driver" >&2; exit 2; }

temps_of() { find "$1" -maxdepth 1 -name ".$2.*.mnemora-tmp" | wc -l; }

run_kind() {
  local kind="$1" name="$2"
  local dir; dir="$(mktemp -d "$base/mnemora-stress-XXXXXX")"
  local file="$dir/$name"
  "$driver" "$kind" "$file" 0 1 > /dev/null
  local last=0 next=1 lost=0 partial=0 temps_after_kill=0 kills_with_temps=0 stray=0 max_temps=0 mid=0
  for ((i = 1; i <= kills; i++)); do
    "$driver" "$kind" "$file" "$next" > "$dir/log" &
    local pid=$!
    # 0 to 40 ms: the start of the process and one to a few dozen saves.
    sleep "0.0$(printf '%02d' $((RANDOM % 40)))"
    kill -9 "$pid" 2> /dev/null || true
    wait "$pid" 2> /dev/null || true
    local reported; reported="$(tail -n 1 "$dir/log" 2> /dev/null || true)"
    [ -n "$reported" ] && last="$reported"
    local held; held="$("$driver" "check-$kind" "$file")"
    case "$held" in
      missing) lost=$((lost + 1)) ;;
      partial) partial=$((partial + 1)) ;;
      *)
        if ((held < last)); then lost=$((lost + 1)); fi
        if ((held > last)); then mid=$((mid + 1)); last="$held"; fi ;;
    esac
    local t; t="$(temps_of "$dir" "$name")"
    temps_after_kill=$((temps_after_kill + t))
    ((t > 0)) && kills_with_temps=$((kills_with_temps + 1))
    ((t > max_temps)) && max_temps="$t"
    next=$((last + 1))
  done
  # One save that runs to its end: every temporary of the killed ones must go.
  "$driver" "$kind" "$file" "$next" 1 > /dev/null
  stray="$(temps_of "$dir" "$name")"
  printf '%-6s kills=%d lost=%d partial=%d kills-leaving-a-temp=%d max-temps-at-once=%d stray-after-next-save=%d saved-but-unreported=%d last-generation=%d\n' \
    "$kind" "$kills" "$lost" "$partial" "$kills_with_temps" "$max_temps" "$stray" "$mid" "$next"
  rm -rf "$dir"
}

run_kind store Mnemora.reg
run_kind chart chart.ton
