#!/usr/bin/env bash
# The main window as it comes up: caption, control texts, notice lines, the sorted printer list
# with its first entry chosen, the plain Debug Mode check box and the added system menu item.
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib/e2e.sh"
source "$here/lib/app.sh"

app_start
drv wait-window "$APP_CAPTION" # the caption is matched exactly

texts=(
    "Exit|$IDCANCEL|Exit"
    "Browse|$IDC_MAIN_BROWSE|Browse..."
    "Upgrade|$IDC_MAIN_UPGRADE|Upgrade"
    "Print|$IDC_MAIN_PRINT|Print"
    "Print Setup|$IDC_MAIN_PRINT_SETUP|Print Setup..."
    "Debug Mode|$IDC_MAIN_DEBUG_MODE|Debug Mode"
    "path prompt|$IDC_MAIN_PATH|$PATH_PROMPT"
    "forms field|$IDC_MAIN_FORMS|"
    "notice line 1|$IDC_MAIN_NOTICE_LINE1|Legal Notice: Korvane KMF files can ONLY be used on Printers"
    "notice line 2|$IDC_MAIN_NOTICE_LINE2|with Korvane Modules Installed."
)
for row in "${texts[@]}"; do
    IFS='|' read -r name id expected <<<"$row"
    drv_expect "text of $name ($id)" "$expected" get-text "$APP_CAPTION" "$id"
done

# Wine names each printer after its CUPS queue; the drop-down sorts them.
drv_expect "printer list" "$RIG_PRINTER_LIST" list-entries "$APP_CAPTION" "$IDC_MAIN_PRINTER"
drv_expect "first printer selected" $'0\t'"$RIG_QUEUE_LATE" \
    get-selection "$APP_CAPTION" "$IDC_MAIN_PRINTER"
drv_expect "focus at start" "$IDC_MAIN_PRINTER" get-focus "$APP_CAPTION"

# As it comes up, before anything is clicked.
e2e_note "screenshot: $(e2e_screenshot app_main_window "$APP_CAPTION")"

checks=(
    "at start|0|unchecked"
    "after one click|1|checked"
    "after two clicks|1|unchecked"
    "after three clicks|1|checked"
)
for row in "${checks[@]}"; do
    IFS='|' read -r name clicks expected <<<"$row"
    for ((i = 0; i < clicks; i++)); do
        drv click "$APP_CAPTION" "$IDC_MAIN_DEBUG_MODE"
    done
    drv_expect "Debug Mode $name" "$expected" get-check "$APP_CAPTION" "$IDC_MAIN_DEBUG_MODE"
done

# The About item comes last, after its own separator (Wine's items come before it).
menu=$(drv menu-items "$APP_CAPTION")
e2e_assert_eq "system menu ends with the About item" \
    "-"$'\n'"$APP_ABOUT_ITEM" "$(tail -n 2 <<<"$menu")"
e2e_assert_eq "About items in the system menu" 1 "$(grep -c $'^0x0010\t' <<<"$menu")"
e2e_assert_eq "Close in the system menu" 1 "$(grep -c $'^0xF060\t' <<<"$menu")"

app_exit
