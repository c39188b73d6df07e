#!/usr/bin/env bash
# Print Setup on a fresh key shows no selection and stores -1 for both on OK; chosen entries
# are stored by position as REG_DWORD and used by the next forms test; a stored value outside
# its list opens with no selection.
source "$(dirname "$0")/lib/e2e.sh"
source "$(dirname "$0")/lib/upgrade.sh"

SETUP_W="Print Setup"
orientations='Portrait
Landscape
Reverse Portrait
Reverse Landscape'
page_sizes='Executive (7 1/4 x 10 1/2 in.)
Letter (8 1/2 x 11 in.)
Legal (8 1/2 x 14 in.)
Ledger (11 x 17 in.)
A4 (210 mm x 297 mm)
A3 (297 mm x 420 mm)
Monarch Letter (3 7/8 x 7 1/2 in.)
Com-10 Business (4 1/8 x 9 1/2 in.)
International DL (100 mm x 220 mm)
International C5 (162 mm x 229 mm)
International B5 (176 mm x 250 mm)
Maximum [Custom] (Varies by printer)'

open_setup() {
    d click "$APP_W" 1006
    d wait-window "$SETUP_W" >/dev/null
}

# expect_selection WHAT PAGE_SIZE ORIENTATION: each as "INDEX<TAB>TEXT" the driver prints.
expect_selection() {
    d_expect "$1: page size selection" "$2" get-selection "$SETUP_W" 1007
    d_expect "$1: orientation selection" "$3" get-selection "$SETUP_W" 1006
}

press_ok() {
    d click "$SETUP_W" 1
    d wait-close "$SETUP_W"
}

expect_stored() {
    e2e_assert_reg "$SETTINGS_KEY" "Page Size" "$2"
    e2e_assert_reg "$SETTINGS_KEY" "Page Orientation" "$3"
    e2e_assert_eq "$1: type of Page Size" REG_DWORD "$(e2e_reg_type "$SETTINGS_KEY" "Page Size")"
    e2e_assert_eq "$1: type of Page Orientation" REG_DWORD \
        "$(e2e_reg_type "$SETTINGS_KEY" "Page Orientation")"
}

e2e_reg_delete_key "$APP_KEY"
app_start

# A fresh key: nothing selected, the lists exactly in order, OK stores -1 twice.
open_setup
shot=$(e2e_screenshot app_setup_fresh "$SETUP_W")
e2e_note "Print Setup: $shot"
d_expect "orientation entries" "$orientations" list-entries "$SETUP_W" 1006
d_expect "page size entries" "$page_sizes" list-entries "$SETUP_W" 1007
expect_selection "fresh key" $'-1\t' $'-1\t'
press_ok
expect_stored "OK on a fresh key" 0xffffffff 0xffffffff

# Stored -1 opens with nothing selected again.
open_setup
expect_selection "stored -1" $'-1\t' $'-1\t'

# A4 and Landscape are stored as 4 and 1 and shown again on the next opening.
d select "$SETUP_W" 1007 --text "A4 (210 mm x 297 mm)"
d select "$SETUP_W" 1006 --text "Landscape"
press_ok
expect_stored "A4 landscape" 0x4 0x1
open_setup
expect_selection "stored 4 and 1" $'4\tA4 (210 mm x 297 mm)' $'1\tLandscape'
press_ok
expect_stored "OK without changes" 0x4 0x1

# The next forms test uses them: reset, A4, landscape, macro 2, form feed.
select_printer "$QUEUE_A"
before=$(e2e_job_count "$QUEUE_A")
d set-text "$APP_W" 1003 2
d click "$APP_W" 1004
e2e_wait_jobs "$QUEUE_A" "$before" 1 30
e2e_assert_job_hex "$(e2e_job_file "$QUEUE_A" $((before + 1)))" \
    "1b 45 1b 26 6c 32 36 61 31 4f 1b 26 66 32 79 33 58 0c"

# Changing only the orientation stores the page size shown as well; Enter confirms like OK.
open_setup
d select "$SETUP_W" 1006 --text "Reverse Landscape"
d focus "$SETUP_W" 1006
d key "$SETUP_W" enter
d wait-close "$SETUP_W"
expect_stored "orientation only, Enter" 0x4 0x3

# Values outside the lists open with no selection; OK without touching stores -1 for each.
# name | stored page size | stored orientation | shown page size | shown orientation | stored after OK
cases=(
    "page size 12|12|1|-1	|1	Landscape|0xffffffff 0x1"
    "orientation 4|0|4|0	Executive (7 1/4 x 10 1/2 in.)|-1	|0x0 0xffffffff"
    "page size 11, orientation 3|11|3|11	Maximum [Custom] (Varies by printer)|3	Reverse Landscape|0xb 0x3"
)
for row in "${cases[@]}"; do
    IFS='|' read -r name size orientation shown_size shown_orientation stored <<<"$row"
    e2e_reg_add "$SETTINGS_KEY" "Page Size" REG_DWORD "$size"
    e2e_reg_add "$SETTINGS_KEY" "Page Orientation" REG_DWORD "$orientation"
    open_setup
    expect_selection "$name" "$shown_size" "$shown_orientation"
    press_ok
    read -r stored_size stored_orientation <<<"$stored"
    expect_stored "$name" "$stored_size" "$stored_orientation"
    e2e_note "$name: ok"
done

app_exit
