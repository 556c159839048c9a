#!/usr/bin/env bash
# The Windows program as a user drives it, under wine with a virtual X
# server and openbox, by mouse clicks (xdotool): wine's own tray, the start
# window, a session through the tray menu with its recall gate, into the
# tray and back, a chart saved and opened again, the parameters window
# writing the registry, help on F1, and "Выход".
#   tests/e2e/wine_session.sh <folder with mnemora.exe and vantero.chm> <examples folder>
# Skipped (exit 77), saying why, where wine or the X tools are missing.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
# shellcheck source=tests/e2e/wine_lib.sh
. "$here/wine_lib.sh"

[ $# -eq 2 ] || { echo "usage: $0 <program folder> <examples folder>" >&2; exit 2; }
program_dir="$(cd "$1" && pwd)"
examples="$(cd "$2" && pwd)"
[ -f "$program_dir/mnemora.exe" ] || { echo "no $program_dir/mnemora.exe" >&2; exit 2; }

wine_require openbox xwininfo
wine_display
wine_window_manager
wine_prefix

key='HKCU\Software\Vantero\Mnemora\1.01'
# The user's own folder: the sample data beside the program, as installed.
home="$(wine_c)/mnemora"
mkdir -p "$home"
cp "$program_dir/mnemora.exe" "$examples/Mnemora.ini" "$home/"
[ -f "$program_dir/vantero.chm" ] && cp "$program_dir/vantero.chm" "$home/"

# A click at a point of a window's client area.
click_in() { xdotool mousemove --window "$1" "$2" "$3" click 1; sleep 0.4; }
# The pop-up menus on screen (nameless windows of the program), as
# "x y width height", the one opened last (rightmost) at the end.
menus() {
  local id
  for id in $(xdotool search --onlyvisible --classname mnemora.exe 2>/dev/null); do
    [ -z "$(xdotool getwindowname "$id" 2>/dev/null)" ] || continue
    xwininfo -id "$id" | awk '/Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF}
                               /Width:/ {w=$NF} /Height:/ {h=$NF} END {print x, y, w, h}'
  done | sort -n
}
# Clicks a row of the menu opened last: menu_click <items above> <separators above>.
menu_click() {
  local x y
  wine_wait 30 test -n "$(menus)" || wine_fail "no menu is open"
  read -r x y _ _ < <(menus | tail -n 1)
  xdotool mousemove $((x + 30)) $((y + 11 + 16 * $1 + 9 * $2)) click 1
  sleep 0.6
}
# Visible windows whose title is exactly the text.
count_titled() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | wc -l; }
box_ok() {
  # The plain box: the application title, one OK button, Enter presses it.
  wine_wait 50 wine_window '^Мнемора$' >/dev/null || wine_fail "no message box: $1"
  xdotool windowactivate --sync "$(wine_window '^Мнемора$')" key Return
  wine_wait 30 test "$(count_titled 'Мнемора')" -eq 0 || wine_fail "the box stayed: $1"
}

# --- start-up: the icon in wine's tray, the start window ---
# The help library's trace names each topic the viewer is asked for.
(cd "$home" && WINEDEBUG=-all,trace+htmlhelp exec "$wine64" "C:\\mnemora\\mnemora.exe") >"$wine_work/program.log" 2>&1 </dev/null &
program=$!
wine_pids+=("$program")
wine_wait 300 wine_window '^"Мнемора"$' >/dev/null || wine_fail "no start window"
wine_wait 50 wine_window '^Wine System Tray$' >/dev/null || wine_fail "no tray window"
tray="$(wine_window '^Wine System Tray$')"
import -window "$tray" -crop 16x16+2+2 "$wine_work/icon.png"
colours="$(convert "$wine_work/icon.png" -format '%k' info:)"
[ "$colours" -gt 4 ] || wine_fail "the tray shows no icon ($colours colours where it should be)"
echo "tray icon in wine's tray ($colours colours)"
wine_shot start

start="$(wine_window '^"Мнемора"$')"
click_in "$start" 116 268   # "Продолжить"
values="$("$wine64" reg query "$key" 2>/dev/null </dev/null | grep -c 'REG_' || true)"
[ "$values" -eq 11 ] || wine_fail "\"Продолжить\" stored $values values, not 11"
read -r mx my _ _ < <(menus | head -n 1) || true
[ -n "${mx:-}" ] || wine_fail "\"Продолжить\" opened no menu"
echo "\"Продолжить\": 11 values stored, the menu at $mx,$my"
wine_shot menu

# --- a session: list 1 from the menu, the recall gate ---
menu_click 0 0   # Сессии
menu_click 0 0   # Начать
menu_click 0 0   # Список 1
main_title='Мнемора \(Версия 1\.01\) /Список 1\. Общие случаи\.'
wine_wait 50 wine_window "^$main_title\$" >/dev/null || wine_fail "list 1 did not begin"
main="$(wine_window "^$main_title\$")"
next() { click_in "$main" 133 317; }
next; box_ok "Вспомните другой случай."
next; box_ok "Вспомните самый ранний случай."
next
sleep 0.5
[ "$(count_titled 'Мнемора')" -eq 0 ] || wine_fail "the third \">\" showed a box instead of the next question"
echo "list 1 begun; the gate asked twice, then let the next question through"
wine_shot session

# --- into the tray and back with a click on the icon ---
xdotool windowminimize "$main"
wine_wait 30 test -z "$(wine_window "^$main_title\$")" || wine_fail "the minimised window did not go into the tray"
xdotool mousemove --window "$tray" 10 10 click 1
wine_wait 30 wine_window "^$main_title\$" >/dev/null || wine_fail "a click on the tray icon did not bring the window back"
echo "minimised into the tray and back with the tray click"

# --- the chart: new, a mark, saved, opened again ---
xdotool mousemove --window "$tray" 10 10 click 3
sleep 0.6
menu_click 1 0   # Заполнение тестов
wine_wait 30 wine_window '^Шкала тонов\. $' >/dev/null || wine_fail "no chart window"
chart="$(wine_window '^Шкала тонов\. $')"
xdotool windowactivate --sync "$chart" key ctrl+n
sleep 0.5
click_in "$chart" 38 204    # a cell of column 1
mkdir -p "$(wine_c)/charts"
xdotool key ctrl+s
wine_wait 50 wine_window '^Сохранение таблицы тонов в файл$' >/dev/null || wine_fail "no save dialog"
xdotool windowactivate --sync "$(wine_window '^Сохранение таблицы тонов в файл$')"
xdotool type --delay 20 'C:\charts\e2e'
xdotool key Return
wine_wait 50 test -f "$(wine_c)/charts/e2e.ton" || wine_fail "the chart was not saved"
grep -q '^105' <(tr -d '\r' <"$(wine_c)/charts/e2e.ton") || wine_fail "the saved chart lacks the marked cell: $(cat "$(wine_c)/charts/e2e.ton")"
cell() { import -window "$chart" -crop 20x30+28+190 "$wine_work/$1.png"; }
cell marked
xdotool windowactivate --sync "$chart" key ctrl+n   # a new, empty chart
sleep 0.5
cell empty
[ "$(compare -metric AE "$wine_work/marked.png" "$wine_work/empty.png" null: 2>&1 || true)" != 0 ] ||
  wine_fail "a new chart still shows the mark"
xdotool key ctrl+o
wine_wait 50 wine_window '^Открытие файла данных таблицы тонов$' >/dev/null || wine_fail "no open dialog"
xdotool windowactivate --sync "$(wine_window '^Открытие файла данных таблицы тонов$')"
xdotool type --delay 20 'C:\charts\e2e.ton'
xdotool key Return
wine_wait 50 wine_window '^Шкала тонов\. \[C:\\charts\\e2e\.ton\]$' >/dev/null || wine_fail "the chart was not opened again"
sleep 0.5
cell reopened
[ "$(compare -metric AE "$wine_work/marked.png" "$wine_work/reopened.png" null: 2>&1 || true)" = 0 ] ||
  wine_fail "the chart opened again does not show its mark"
wine_shot chart
echo "chart: a cell marked, saved as C:\\charts\\e2e.ton, a new chart, the file opened again with its mark"

# --- the parameters window writes the click mode ---
xdotool mousemove --window "$tray" 10 10 click 3
sleep 0.6
menu_click 2 0   # Настройка
menu_click 0 0   # Параметры
wine_wait 50 wine_window '^Параметры$' >/dev/null || wine_fail "no parameters window"
params="$(wine_window '^Параметры$')"
click_in "$params" 218 199   # "двойном щелчке мыши"
wine_shot params
click_in "$params" 188 308   # OK
wine_wait 30 test -z "$(wine_window '^Параметры$')" || wine_fail "OK did not close the parameters window"
[ "$(wine_reg_value "$key" Click)" = 0x1 ] || wine_fail "OK stored Click=$(wine_reg_value "$key" Click), not 0x1"
echo "parameters: the double click chosen, OK stored Click=0x1"

# --- F1 in the main window: help at the topic of the list begun ---
# A window of the program's that is none of its own forms: the help viewer's.
help_window() {
  local id
  for id in $(xdotool search --onlyvisible --classname mnemora.exe 2>/dev/null); do
    case "$(xdotool getwindowname "$id" 2>/dev/null)" in
      '' | 'Wine System Tray' | Мнемора* | Шкала* | '"Мнемора"' | Параметры) ;;
      *) echo "$id"; return 0 ;;
    esac
  done
  return 1
}
xdotool windowactivate --sync "$main" key F1
wine_wait 50 grep -q 'vantero\.chm::/lists/list01\.htm' "$wine_work/program.log" ||
  wine_fail "F1 did not ask the viewer for list 1's topic"
wine_wait 100 help_window >/dev/null || wine_fail "F1 opened no help window"
wine_shot help
echo "F1: the help window opened at lists/list01.htm"

# --- "Выход" ends the program with code 0 ---
xdotool mousemove --window "$tray" 10 10 click 3
sleep 0.6
menu_click 4 1   # Выход
status=0
for _ in $(seq 100); do
  kill -0 "$program" 2>/dev/null || break
  sleep 0.1
done
kill -0 "$program" 2>/dev/null && wine_fail "\"Выход\" did not end the program"
wait "$program" || status=$?
[ "$status" -eq 0 ] || wine_fail "the program ended with code $status"
echo "\"Выход\": the program ended with code 0"
echo PASS
