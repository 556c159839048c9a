# A right click that opens Mnemora's menu: keys are sent only once the menu
# is on screen, and so holds the keyboard. A fixed pause was too short on a
# loaded machine, and the keys went nowhere. Sourced; the caller has fail().

# Qt's pop-up menus are top-level, override-redirect windows of ours; a
# tooltip is one too, but says so in its type.
menu_shown() {
  local w
  for w in $(xwininfo -root -children 2>/dev/null | awk '/^ +0x/ {print $1}'); do
    xwininfo -id "$w" 2>/dev/null | grep -q 'Override Redirect State: yes' || continue
    xwininfo -id "$w" 2>/dev/null | grep -q IsViewable || continue
    xprop -id "$w" WM_CLASS 2>/dev/null | grep -q '"mnemora"' || continue
    xprop -id "$w" _NET_WM_WINDOW_TYPE 2>/dev/null | grep -q TOOLTIP && continue
    return 0
  done
  return 1
}

# On a loaded machine a click that reaches the icon before it is ready for
# input is lost, so after a few seconds with no menu the click is made once
# more (never while a menu is up, which a second click would close).
open_menu_at() {
  local try i
  for try in 1 2 3; do
    xdotool mousemove "$1" "$2" click 3
    for ((i = 0; i < 40; i++)); do
      menu_shown && { sleep 0.2; return 0; }
      sleep 0.1
    done
  done
  fail "no menu opened at $1,$2"
}
