#!/usr/bin/env bash
# The system menu's About item, and every command id from 0x10 to 0x1F, opens the About dialog;
# OK, Esc and the close box end it and the main window is left as it was. Other ids do not.
source "$(dirname "$0")/lib/e2e.sh"
source "$(dirname "$0")/lib/app.sh"

ABOUT_W="About Tessaline"

# The main window's state that a dialog must not touch.
main_state() {
    local id
    drv get-text "$APP_CAPTION" "$IDC_MAIN_PATH"
    drv get-text "$APP_CAPTION" "$IDC_MAIN_FORMS"
    drv get-selection "$APP_CAPTION" "$IDC_MAIN_PRINTER"
    drv get-check "$APP_CAPTION" "$IDC_MAIN_DEBUG_MODE"
    for id in "$IDC_MAIN_NOTICE_LINE1" "$IDC_MAIN_NOTICE_LINE2"; do drv get-text "$APP_CAPTION" "$id"; done
}

app_start
items=$(drv menu-items "$APP_CAPTION")
[[ $'\n'"$items"$'\n' == *$'\n'"$APP_ABOUT_ITEM"$'\n'* ]] ||
    e2e_fail "no enabled About item in the system menu:"$'\n'"$items"

select_printer "$RIG_QUEUE_RAW_ONLY"
drv set-text "$APP_CAPTION" "$IDC_MAIN_PATH" 'C:\upgrade.kmf'
drv set-text "$APP_CAPTION" "$IDC_MAIN_FORMS" 4-11
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
    drv syscommand "$APP_CAPTION" "$id"
    drv wait-window "$ABOUT_W" >/dev/null
    # The first label in tab order; the others share the id -1 and cannot be told apart.
    drv_expect "$name: version label" "Tessaline Version 3.2" get-text "$ABOUT_W" -1
    drv_expect "$name: OK button" "OK" get-text "$ABOUT_W" 1
    if [ "$id" = 0x10 ]; then
        shot=$(e2e_screenshot app_about "$ABOUT_W")
        e2e_note "About: $shot"
    fi
    case "$way" in
        ok) drv click "$ABOUT_W" 1 ;;
        esc) drv key "$ABOUT_W" esc ;;
        "close box") drv syscommand "$ABOUT_W" 0xF060 ;;
    esac
    drv wait-close "$ABOUT_W"
    drv wait-window "$APP_CAPTION" >/dev/null
    e2e_assert_eq "$name: main window after About" "$state" "$(main_state)"
    e2e_note "$name: ok"
done

# Ids whose upper bits differ go to the default handling: no About dialog.
for id in 0x20 0x0F 0x110; do
    drv syscommand "$APP_CAPTION" "$id"
    drv --exit 1 wait-window "$ABOUT_W" --timeout 1 >/dev/null ||
        e2e_fail "command $id opened the About dialog"
done
e2e_assert_eq "main window after other ids" "$state" "$(main_state)"

app_exit
