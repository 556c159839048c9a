#!/usr/bin/env bash
# The Windows installers as a user meets them, under wine in a prefix of
# their own: installed silently, the files and the Start-menu shortcut in
# place, the installed program started from its folder as the shortcut
# starts it (it must show its window and keep running), then removed, with
# every installed file and the shortcut gone and the user's settings key
# left as it was.
#
#   tests/e2e/wine_install.sh <64-bit .msi> [<32-bit .msi>]
#
# The 32-bit package is installed and removed but its program is not started
# where wine has no 32-bit side. Exit 77 where wine cannot run at all.
set -uo pipefail
. "$(dirname "$0")/wine_lib.sh"

[ $# -ge 1 ] || { echo "usage: $0 <x64 msi> [<x86 msi>]" >&2; exit 2; }
wine_require
wine_display
wine_prefix

user_key='HKCU\Software\Vantero\Mnemora\1.01'
# A setting of the user's own, there before the program is installed.
wine_reg_add "$user_key" /v Click /t REG_DWORD /d 1 || wine_fail "could not write $user_key"

# The all-users Start menu; wine gives an all-users install the user's own.
shortcut_file() {
  local f
  for f in "$(wine_c)/ProgramData/Microsoft/Windows/Start Menu/Programs/Мнемора.lnk" \
           "$(wine_c)"/users/*/AppData/Roaming/Microsoft/Windows/Start\ Menu/Programs/Мнемора.lnk; do
    [ -f "$f" ] && { printf '%s\n' "$f"; return 0; }
  done
  return 1
}

# check_package <msi> <Program Files folder> <start the program: 0 or 1>
check_package() {
  local msi="$1" program_files="$2" start="$3"
  local name dir f
  name="$(basename "$msi")"
  dir="$(wine_c)/$program_files/Vantero/Mnemora"
  [ -f "$msi" ] || wine_fail "$msi is missing"
  cp "$msi" "$(wine_c)/$name"

  wine_run "install-$name" msiexec /i "C:\\$name" /qn || wine_fail "$name: msiexec /i failed"
  for f in mnemora.exe vantero.chm Mnemora.ini; do
    [ -f "$dir/$f" ] || wine_fail "$name: $program_files\\Vantero\\Mnemora\\$f was not installed"
  done
  cmp -s "$dir/Mnemora.ini" "$(dirname "$0")/../../examples/Mnemora.ini" ||
    wine_fail "$name: the installed sample is not examples/Mnemora.ini"
  # The shortcut's name in Cyrillic (a wrong code page gives "?????" or
  # mojibake) and its target.
  local shortcut
  shortcut="$(shortcut_file)" || { find "$(wine_c)" -iname "*.lnk" >&2; wine_fail "$name: no Start-menu shortcut \"Мнемора\""; }
  grep -aqi 'mnemora.exe' "$shortcut" || wine_fail "$name: the shortcut does not lead to mnemora.exe"
  echo "$name: installed into $program_files\\Vantero\\Mnemora with the shortcut \"Мнемора\""

  if [ "$start" -eq 1 ]; then
    wine_start_in "$dir" "program-$name" "C:\\$program_files\\Vantero\\Mnemora\\mnemora.exe"
    wine_wait_window 300 '^"Мнемора"$' || wine_fail "$name: the installed program showed no window"
    sleep 2
    kill -0 "$wine_last_pid" 2>/dev/null || wine_fail "$name: the installed program ended by itself"
    echo "$name: the installed program runs and shows \"$(xdotool getwindowname "$(wine_window '^"Мнемора"$')")\""
    wine_shot "installed-$name"
    "$wineserver" -k 2>/dev/null || true
    "$wineserver" -w 2>/dev/null || true
  fi

  wine_run "remove-$name" msiexec /x "C:\\$name" /qn || wine_fail "$name: msiexec /x failed"
  [ ! -e "$dir" ] || { ls -la "$dir" >&2; wine_fail "$name: $program_files\\Vantero\\Mnemora is still there after removal"; }
  ! shortcut_file >/dev/null || wine_fail "$name: the shortcut is still there after removal"
  [ "$(wine_reg_value "$user_key" Click)" = "0x1" ] ||
    wine_fail "$name: removal touched the user's settings in $user_key"
  echo "$name: removed; the user's settings stay"
}

check_package "$1" "Program Files" 1
if [ $# -ge 2 ]; then
  if [ -x /usr/lib/wine/wine ] || command -v wine32 >/dev/null 2>&1; then
    check_package "$2" "Program Files (x86)" 1
  else
    check_package "$2" "Program Files (x86)" 0
    echo "$(basename "$2"): not started (no 32-bit wine here)"
  fi
fi
echo "PASS"
