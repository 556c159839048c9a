#!/usr/bin/env bash
# Each hostile file of the store and chart readers, through bench/file_probe:
# what the user sees, the wall time and the peak memory (/usr/bin/time -v).
# Not part of the test command; run it by hand, as root and as a user:
#   bench/hostile_files.sh <build dir with -DMNEMORA_BENCH=ON>
set -euo pipefail

build="${1:?build dir}"
probe="$(cd "$build" && pwd)/bench/file_probe"
[ -x "$probe" ] || { echo "no $probe: configure with -DMNEMORA_BENCH=ON and build file_probe" >&2; exit 2; }
[ -x /usr/bin/time ] || { echo "needs /usr/bin/time (Debian package time)" >&2; exit 2; }
as_user=()
if [ "$(id -u)" = 0 ] && [ "${HOSTILE_AS:-root}" = nobody ]; then
  as_user=(setpriv --reuid=65534 --regid=65534 --clear-groups)
fi

dir="$(mktemp -d "${TMPDIR:-/tmp}/mnemora-hostile-XXXXXX")"
chmod 0777 "$dir"
trap 'chmod -R u+rwx "$dir" 2> /dev/null; rm -rf "$dir"' EXIT
cd "$dir"
run() {  # case, operation, path
  local out
  out="$(timeout 60 "${as_user[@]}" /usr/bin/time -f '%e s|%M KB' "$probe" "$2" "$3" 2> time.txt || echo "TIMED OUT OR FAILED ($?)")"
  printf '| %s | %s | %s | %s |\n' "$1" "$out" "$(tail -n 1 time.txt | cut -d'|' -f1)" "$(tail -n 1 time.txt | cut -d'|' -f2)"
}
header='Windows Registry Editor Version 5.00'
section='[HKEY_CURRENT_USER\Software\Vantero\Mnemora\1.01]'

mkfifo store-fifo.reg chart-fifo.ton
mkdir store-folder.reg chart-folder.ton
ln -s /dev/zero store-zero.reg
ln -s /dev/zero chart-zero.ton
printf '%s\n\n%s\n"Start"=dword:1\n' "$header" "$section" > store-damaged.reg
python3 - << 'PY'
header = "Windows Registry Editor Version 5.00\n\n"
section = "[HKEY_CURRENT_USER\\Software\\Vantero\\Mnemora\\1.01]\n"
eleven = '"DataFile"="/home/anna/Mnemora.ini"\n"Click"=dword:00000001\n'
with open("store-100k-values.reg", "w") as f:
    f.write(header + section + "".join('"Value%d"=dword:%08x\n' % (i, i) for i in range(100000)) + eleven)
with open("store-100k-keys.reg", "w") as f:
    f.write(header + "".join('[HKEY_CURRENT_USER\\Software\\Other\\Key%d]\n"V"="x"\n\n' % i for i in range(100000)) + section + eleven)
with open("chart-50mb-empty-lines.ton", "wb") as f:
    f.write(b"\r\n" * (25 << 20) + b"5\r\n")
PY
truncate -s 9M store-too-large.reg
truncate -s 65M chart-too-large.ton
mkdir nosearch && : > nosearch/chart.ton && chmod 0666 nosearch
ln -s loop-b.ton loop-a.ton && ln -s loop-a.ton loop-b.ton
printf '_DateCreate=x\r\n' > real.ton && ln -s real.ton link1.ton && ln -s link1.ton link2.ton
chmod -R a+rwX "$dir" 2> /dev/null || true
chmod 0666 nosearch

echo "| case | what the user sees | time | peak memory |"
echo "|---|---|---|---|"
run "store is a FIFO" load-store store-fifo.reg
run "store is a folder" load-store store-folder.reg
run "store links to /dev/zero" load-store store-zero.reg
run "store is damaged" load-store store-damaged.reg
run "store over 8 MiB (sparse 9 MiB)" load-store store-too-large.reg
run "store of 100,000 values" load-store store-100k-values.reg
run "store of 100,000 keys" load-store store-100k-keys.reg
run "chart is a FIFO" open-chart chart-fifo.ton
run "chart is a folder" open-chart chart-folder.ton
run "chart links to /dev/zero" open-chart chart-zero.ton
run "chart of 50 MB empty lines" open-chart chart-50mb-empty-lines.ton
run "chart over 64 MiB (sparse 65 MiB)" open-chart chart-too-large.ton
run "chart saved into a link loop" save-chart loop-a.ton
run "chart saved into a folder without search right" save-chart nosearch/chart.ton
run "chart saved onto a FIFO" save-chart chart-fifo.ton
run "chart saved through a chain of two links" save-chart link2.ton
if [ -L link2.ton ] && [ -L link1.ton ] && [ -f real.ton ] && [ ! -L real.ton ]; then
  echo "(after the save through two links: both links are still links, real.ton holds the chart)"
fi
ls store-damaged.reg.damaged-* > /dev/null 2>&1 && echo "(the damaged store was kept as $(ls store-damaged.reg.damaged-*))"
