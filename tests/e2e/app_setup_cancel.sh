#!/usr/bin/env bash
# Cancel, Esc and the close box end Print Setup without storing anything, whatever was chosen,
# both over stored values and over a key with none.
source "$(dirname "$0")/lib/e2e.sh"
source "$(dirname "$0")/lib/app.sh"

dismiss() {
    case "$1" in
        cancel) drv click "$SETUP_CAPTION" "$IDCANCEL" ;;
        esc) drv key "$SETUP_CAPTION" esc ;;
        "close box") drv syscommand "$SETUP_CAPTION" 0xF060 ;;
        *) e2e_fail "unknown way to dismiss: $1" ;;
    esac
    drv wait-close "$SETUP_CAPTION"
}

app_start

for way in cancel esc "close box"; do
    # Over stored values 4 and 1: they stay, and show again.
    e2e_reg_add "$APP_SETTINGS_KEY" "Page Size" REG_DWORD 4
    e2e_reg_add "$APP_SETTINGS_KEY" "Page Orientation" REG_DWORD 1
    setup_open
    drv select "$SETUP_CAPTION" "$IDC_SETUP_PAGE_SIZE" --text "Legal (8 1/2 x 14 in.)"
    drv select "$SETUP_CAPTION" "$IDC_SETUP_ORIENTATION" --text "Reverse Portrait"
    dismiss "$way"
    e2e_assert_reg "$APP_SETTINGS_KEY" "Page Size" 0x4
    e2e_assert_reg "$APP_SETTINGS_KEY" "Page Orientation" 0x1
    setup_open
    drv_expect "$way: page size shown again" $'4\tA4 (210 mm x 297 mm)' \
        get-selection "$SETUP_CAPTION" "$IDC_SETUP_PAGE_SIZE"
    drv_expect "$way: orientation shown again" $'1\tLandscape' \
        get-selection "$SETUP_CAPTION" "$IDC_SETUP_ORIENTATION"
    dismiss "$way"

    # Over a key without values: none appear.
    e2e_reg_delete_key "$APP_KEY"
    setup_open
    drv select "$SETUP_CAPTION" "$IDC_SETUP_PAGE_SIZE" --text "A3 (297 mm x 420 mm)"
    drv select "$SETUP_CAPTION" "$IDC_SETUP_ORIENTATION" --text "Landscape"
    dismiss "$way"
    e2e_assert_no_reg "$APP_SETTINGS_KEY" "Page Size"
    e2e_assert_no_reg "$APP_SETTINGS_KEY" "Page Orientation"
    e2e_note "$way: ok"
done

app_exit
