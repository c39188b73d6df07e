#!/usr/bin/env bash
# Ending the program: Exit, Esc and the close box end it; Enter ends it only while Exit is still
# the default button, that is until the path or forms field has had the focus.
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib/e2e.sh"
source "$here/lib/app.sh"

# Each step is driver arguments after the caption, separated by ";".
# name | steps | ends (yes/no)
cases=(
    "Exit|click $IDCANCEL|yes"
    "Esc|key esc|yes"
    "close box|syscommand 0xF060|yes"
    "Enter right after start|key enter|yes"
    "Esc after the path field had the focus|focus $IDC_MAIN_PATH;key esc|yes"
    "Enter in the path field|focus $IDC_MAIN_PATH;key enter|no"
    "Enter in the forms field|focus $IDC_MAIN_FORMS;key enter|no"
    "Enter on the printer list after the path field|focus $IDC_MAIN_PATH;focus $IDC_MAIN_PRINTER;key enter|no"
    "Enter on the printer list after the forms field|focus $IDC_MAIN_FORMS;focus $IDC_MAIN_PRINTER;key enter|no"
)
for row in "${cases[@]}"; do
    IFS='|' read -r name steps ends <<<"$row"
    e2e_note "case '$name'"
    app_start
    drv_expect "$name: focus at start" "$IDC_MAIN_PRINTER" get-focus "$APP_CAPTION"
    IFS=';' read -r -a step_list <<<"$steps"
    for i in "${!step_list[@]}"; do
        read -r -a args <<<"${step_list[i]}"
        drv "${args[0]}" "$APP_CAPTION" "${args[@]:1}"
    done
    if [ "$ends" == yes ]; then
        wait_app 10
        drv wait-close "$APP_CAPTION" --timeout 2
    else
        sleep 1
        e2e_not_running "$APP_PID" && e2e_fail "$name: the program ended"
        drv wait-window "$APP_CAPTION" --timeout 1
        expect_no_box "$name" 0.5
        app_exit
    fi
done
