#!/usr/bin/env bash
# The Debian package as a user gets it: installed with dpkg, started from
# /usr/bin under a virtual X server with a tray host, from a folder that
# holds no data file; a help request must open a page of the installed help
# file, not the not-found box; mnemora-check passes the installed sample;
# then dpkg --purge removes every file it installed and leaves the user's
# settings alone.
#   package_install.sh <mnemora_*.deb> [screenshot dir]
# Needs root (it installs into /usr); exit code 77 where it cannot run.
set -uo pipefail

deb="$(realpath "$1")"
shots="${2:-}"
[ -n "$shots" ] && mkdir -p "$shots" && shots="$(realpath "$shots")"
here="$(cd "$(dirname "$0")/../e2e" && pwd)"
. "$here/lib.sh"

skip_without Xvfb trayer openbox dbus-daemon xdotool xwininfo xprop dpkg
as_root=()
if [ "$(id -u)" -ne 0 ]; then
  sudo -n true 2>/dev/null || { echo "SKIP: installing a package needs root"; exit 77; }
  as_root=(sudo -n)
fi
# Known to dpkg in any state but forgotten (a half-done run included).
known() { case "$(dpkg-query -W -f='${db:Status-Abbrev}' mnemora 2>/dev/null)" in "" | un* | pn*) return 1 ;; esac; }
known && fail "mnemora is already installed here; this test installs and purges it, so remove it first"

# The package runs no scripts of its own when installed or removed, so it
# cannot touch what lies in a user's home.
scripts="$(dpkg-deb --ctrl-tarfile "$deb" | tar -t | grep -E 'preinst|postinst|prerm|postrm')"
[ -z "$scripts" ] || fail "the package carries maintainer scripts: $scripts"

installed=0
purge() {
  [ "$installed" -eq 1 ] || return 0
  installed=0
  [ -n "${app:-}" ] && kill "$app" 2>/dev/null
  "${as_root[@]}" dpkg --purge mnemora >"$work/purge.log" 2>&1 || { echo "dpkg --purge failed:"; cat "$work/purge.log"; }
}
trap 'purge; cleanup' EXIT

"${as_root[@]}" dpkg -i "$deb" >"$work/dpkg.log" 2>&1 || { installed=1; cat "$work/dpkg.log"; fail "dpkg -i failed"; }
installed=1
dpkg -L mnemora >"$work/files"

for f in /usr/bin/mnemora /usr/bin/mnemora-check /usr/libexec/mnemora/mnemora-help \
  /usr/share/mnemora/vantero.chm \
  /usr/share/doc/mnemora/examples/Mnemora.ini /usr/share/doc/mnemora/examples/sample.ton \
  /usr/share/applications/org.vantero.mnemora.desktop /usr/share/metainfo/org.vantero.mnemora.metainfo.xml \
  /usr/share/icons/hicolor/scalable/apps/mnemora.svg \
  /usr/share/man/man1/mnemora.1.gz /usr/share/man/man1/mnemora-check.1.gz; do
  grep -qx "$f" "$work/files" || fail "the package does not hold $f"
done
for side in 16 22 24 32 48 64 128 256; do
  grep -qx "/usr/share/icons/hicolor/${side}x$side/apps/mnemora.png" "$work/files" || fail "no $side px icon"
done

# The sample passes its own checker.
/usr/bin/mnemora-check /usr/share/doc/mnemora/examples/Mnemora.ini >"$work/check.log" 2>&1
rc=$?
[ "$rc" -eq 0 ] || { cat "$work/check.log"; fail "mnemora-check on the installed sample exited with $rc"; }

# A user with settings of their own, which the package must never touch.
store_values '"Start"=dword:00000000' '"Click"=dword:00000000'
store="$work/config/Vantero/Mnemora.reg"

# Only the installed help file can be found: nothing beside the program, in
# the empty current folder or in the user's data folder.
mkdir -p "$work/empty" "$work/data"
start_bus
start_x
start_wm openbox
start_trayer
start_mnemora /usr/bin/mnemora "$work/empty" HOME="$work" XDG_DATA_HOME="$work/data" XDG_DATA_DIRS=/usr/share

find_icon() { icon="$(xwininfo -root -tree 2>/dev/null | awk '/\("panel" "trayer"\)/ {p=1; next} p && /"mnemora"/ {print; exit}')"; [ -n "$icon" ]; }
wait_for 100 find_icon || fail "no tray icon appeared"
read -r ix iy < <(echo "$icon" | sed -E 's/.* \+(-?[0-9]+)\+(-?[0-9]+)$/\1 \2/')
cx=$((ix + 8)); cy=$((iy + 8))

# Tray menu -> "&Помощь" -> "&Вызов помощи".
open_menu_at "$cx" "$cy"
xdotool key Down Down Down Down; sleep 0.3
xdotool key Right; sleep 0.3
xdotool key Return
help="$(wait_window 'Справка Мнеморы$')" || fail "the help request opened no help window (a box: '$(window_named '^Мнемора$')')"
title=""
for _ in $(seq 100); do
  title="$(xdotool getwindowname "$help" 2>/dev/null)"
  [ "$title" = "Как работать с Мнеморой — Справка Мнеморы" ] && break
  sleep 0.1
done
[ "$title" = "Как работать с Мнеморой — Справка Мнеморы" ] || fail "the help window shows '$title'"
[ -z "$(window_named '^Мнемора$')" ] || fail "a message box came with the help"
viewer="$(pgrep -P "$app" -f mnemora-help | head -n 1)"
[ -n "$viewer" ] || fail "no help viewer under Mnemora"
[ "$(readlink "/proc/$viewer/exe")" = /usr/libexec/mnemora/mnemora-help ] ||
  fail "the viewer is $(readlink "/proc/$viewer/exe"), not the installed one"
sleep 0.5
shot installed-help

# "&Выход" from the tray menu.
open_menu_at "$cx" "$cy"
xdotool key Up; sleep 0.2
xdotool key Return
expect_clean_exit
store_sum="$(sha256sum <"$store")"

# Purge: every installed file goes, the user's settings stay as they were.
installed=0
"${as_root[@]}" dpkg --purge mnemora >"$work/purge.log" 2>&1 || { cat "$work/purge.log"; fail "dpkg --purge failed"; }
known && fail "dpkg still keeps mnemora: $(dpkg-query -W -f='${db:Status-Abbrev}' mnemora)"
left=0
while read -r f; do
  [ -e "$f" ] || [ -L "$f" ] || continue
  [ -d "$f" ] && [ ! -L "$f" ] && continue   # folders shared with other packages stay
  echo "left behind: $f"; left=$((left + 1))
done <"$work/files"
for d in /usr/share/mnemora /usr/libexec/mnemora /usr/share/doc/mnemora; do
  [ -e "$d" ] && { echo "left behind: $d"; left=$((left + 1)); }
done
[ "$left" -eq 0 ] || fail "dpkg --purge left $left paths"
[ "$(sha256sum <"$store")" = "$store_sum" ] || fail "the user's settings changed or went with the package"

echo "PASS: installed with dpkg, help from /usr/share/mnemora/vantero.chm, the sample checked, purged clean, the user's settings kept"
