#!/usr/bin/env bash
# The system menu's About item, and every command id from 0x10 to 0x1F, opens the About dialog;
# OK, Esc and the close box end it and the main window is left as it was. Other ids do not.
source "$(dirname "$0")/lib/e2e.sh"
source "$(dirname "$0")/lib/upgrade.sh"

ABOUT_W="About Tessaline"

# The main window's state that a dialog must not touch.
main_state() {
    local id
    d get-text "$APP_W" 1000
    d get-text "$APP_W" 1003
    d get-selection "$APP_W" 1005
    d get-check "$APP_W" 1008
    for id in 1009 1010; do d get-text "$APP_W" "$id"; done
}

app_start
items=$(d menu-items "$APP_W")
[[ $'\n'"$items"$'\n' == *$'\n0x0010\t&About Tessaline by Korvane...\tenabled\n'* ]] ||
    e2e_fail "no enabled About item in the system menu:"$'\n'"$items"

select_printer "$QUEUE_B"
d set-text "$APP_W" 1000 'C:\upgrade.kmf'
d set-text "$APP_W" 1003 4-11
set_debug_mode checked
state=$(main_state)

# command id | way to end it
cases=(
    "0x10|ok"
    "0x1F|ok"
    "0x13|esc"
    "0x18|close box"
)
for row in "${cases[@]}"; do
    IFS='|' read -r id way <<<"$row"
    name="command $id, ended by $way"
    d syscommand "$APP_W" "$id"
    d wait-window "$ABOUT_W" >/dev/null
    # The first label in tab order; the others share the id -1 and cannot be told apart.
    d_expect "$name: version label" "Tessaline Version 3.2" get-text "$ABOUT_W" -1
    d_expect "$name: OK button" "OK" get-text "$ABOUT_W" 1
    if [ "$id" = 0x10 ]; then
        shot=$(e2e_screenshot app_about "$ABOUT_W")
        e2e_note "About: $shot"
    fi
    case "$way" in
        ok) d click "$ABOUT_W" 1 ;;
        esc) d key "$ABOUT_W" esc ;;
        "close box") d syscommand "$ABOUT_W" 0xF060 ;;
    esac
    d wait-close "$ABOUT_W"
    d wait-window "$APP_W" >/dev/null
    e2e_assert_eq "$name: main window after About" "$state" "$(main_state)"
    e2e_note "$name: ok"
done

# Ids whose upper bits differ go to the default handling: no About dialog.
for id in 0x20 0x0F 0x110; do
    d syscommand "$APP_W" "$id"
    if driver wait-window "$ABOUT_W" --timeout 1 >/dev/null; then
        e2e_fail "command $id opened the About dialog"
    fi
done
e2e_assert_eq "main window after other ids" "$state" "$(main_state)"

app_exit
