#!/usr/bin/env bash
# Cancel, Esc and the close box end Print Setup without storing anything, whatever was chosen,
# both over stored values and over a key with none.
source "$(dirname "$0")/lib/e2e.sh"
source "$(dirname "$0")/lib/upgrade.sh"

SETUP_W="Print Setup"

dismiss() {
    case "$1" in
        cancel) d click "$SETUP_W" 2 ;;
        esc) d key "$SETUP_W" esc ;;
        "close box") d syscommand "$SETUP_W" 0xF060 ;;
        *) e2e_fail "unknown way to dismiss: $1" ;;
    esac
    d wait-close "$SETUP_W"
}

app_start

for way in cancel esc "close box"; do
    # Over stored values 4 and 1: they stay, and show again.
    e2e_reg_add "$SETTINGS_KEY" "Page Size" REG_DWORD 4
    e2e_reg_add "$SETTINGS_KEY" "Page Orientation" REG_DWORD 1
    d click "$APP_W" 1006
    d wait-window "$SETUP_W" >/dev/null
    d select "$SETUP_W" 1007 --text "Legal (8 1/2 x 14 in.)"
    d select "$SETUP_W" 1006 --text "Reverse Portrait"
    dismiss "$way"
    e2e_assert_reg "$SETTINGS_KEY" "Page Size" 0x4
    e2e_assert_reg "$SETTINGS_KEY" "Page Orientation" 0x1
    d click "$APP_W" 1006
    d wait-window "$SETUP_W" >/dev/null
    d_expect "$way: page size shown again" $'4\tA4 (210 mm x 297 mm)' \
        get-selection "$SETUP_W" 1007
    d_expect "$way: orientation shown again" $'1\tLandscape' get-selection "$SETUP_W" 1006
    dismiss "$way"

    # Over a key without values: none appear.
    e2e_reg_delete_key "$APP_KEY"
    d click "$APP_W" 1006
    d wait-window "$SETUP_W" >/dev/null
    d select "$SETUP_W" 1007 --text "A3 (297 mm x 420 mm)"
    d select "$SETUP_W" 1006 --text "Landscape"
    dismiss "$way"
    e2e_assert_no_reg "$SETTINGS_KEY" "Page Size"
    e2e_assert_no_reg "$SETTINGS_KEY" "Page Orientation"
    e2e_note "$way: ok"
done

app_exit
