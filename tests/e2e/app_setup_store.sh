#!/usr/bin/env bash
# Print Setup on a fresh key shows no selection and stores -1 for both on OK; chosen entries
# are stored by position as REG_DWORD and used by the next forms test; a stored value outside
# its list opens with no selection.
source "$(dirname "$0")/lib/e2e.sh"
source "$(dirname "$0")/lib/app.sh"

# expect_selection WHAT PAGE_SIZE ORIENTATION: each as "INDEX<TAB>TEXT" the driver prints.
expect_selection() {
    drv_expect "$1: page size selection" "$2" get-selection "$SETUP_CAPTION" "$IDC_SETUP_PAGE_SIZE"
    drv_expect "$1: orientation selection" "$3" get-selection "$SETUP_CAPTION" "$IDC_SETUP_ORIENTATION"
}

expect_stored() {
    e2e_assert_reg "$APP_SETTINGS_KEY" "Page Size" "$2"
    e2e_assert_reg "$APP_SETTINGS_KEY" "Page Orientation" "$3"
    e2e_assert_eq "$1: type of Page Size" REG_DWORD \
        "$(e2e_reg_type "$APP_SETTINGS_KEY" "Page Size")"
    e2e_assert_eq "$1: type of Page Orientation" REG_DWORD \
        "$(e2e_reg_type "$APP_SETTINGS_KEY" "Page Orientation")"
}

e2e_reg_delete_key "$APP_KEY"
app_start

# A fresh key: nothing selected, the lists exactly in order, OK stores -1 twice.
setup_open
shot=$(e2e_screenshot app_setup_fresh "$SETUP_CAPTION")
e2e_note "Print Setup: $shot"
drv_expect "orientation entries" "$(printf '%s\n' "${SETUP_ORIENTATIONS[@]}")" \
    list-entries "$SETUP_CAPTION" "$IDC_SETUP_ORIENTATION"
drv_expect "page size entries" "$(printf '%s\n' "${SETUP_PAGE_SIZES[@]}")" \
    list-entries "$SETUP_CAPTION" "$IDC_SETUP_PAGE_SIZE"
expect_selection "fresh key" $'-1\t' $'-1\t'
setup_press "$IDOK"
expect_stored "OK on a fresh key" 0xffffffff 0xffffffff

# Stored -1 opens with nothing selected again.
setup_open
expect_selection "stored -1" $'-1\t' $'-1\t'

# A4 and Landscape are stored as 4 and 1 and shown again on the next opening.
drv select "$SETUP_CAPTION" "$IDC_SETUP_PAGE_SIZE" --text "A4 (210 mm x 297 mm)"
drv select "$SETUP_CAPTION" "$IDC_SETUP_ORIENTATION" --text "Landscape"
setup_press "$IDOK"
expect_stored "A4 landscape" 0x4 0x1
setup_open
expect_selection "stored 4 and 1" $'4\tA4 (210 mm x 297 mm)' $'1\tLandscape'
setup_press "$IDOK"
expect_stored "OK without changes" 0x4 0x1

# The next forms test uses them: reset, A4, landscape, macro 2, form feed.
select_printer "$RIG_QUEUE_VIRTUAL"
before=$(e2e_job_count "$RIG_QUEUE_VIRTUAL")
drv set-text "$APP_CAPTION" "$IDC_MAIN_FORMS" 2
drv click "$APP_CAPTION" "$IDC_MAIN_PRINT"
e2e_wait_jobs "$RIG_QUEUE_VIRTUAL" "$before" 1 30
e2e_assert_job_hex "$(e2e_job_file "$RIG_QUEUE_VIRTUAL" $((before + 1)))" \
    "1b 45 1b 26 6c 32 36 61 31 4f 1b 26 66 32 79 33 58 0c"

# Changing only the orientation stores the page size shown as well; Enter confirms like OK.
setup_open
drv select "$SETUP_CAPTION" "$IDC_SETUP_ORIENTATION" --text "Reverse Landscape"
drv focus "$SETUP_CAPTION" "$IDC_SETUP_ORIENTATION"
drv key "$SETUP_CAPTION" enter
drv wait-close "$SETUP_CAPTION"
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
    e2e_reg_add "$APP_SETTINGS_KEY" "Page Size" REG_DWORD "$size"
    e2e_reg_add "$APP_SETTINGS_KEY" "Page Orientation" REG_DWORD "$orientation"
    setup_open
    expect_selection "$name" "$shown_size" "$shown_orientation"
    setup_press "$IDOK"
    read -r stored_size stored_orientation <<<"$stored"
    expect_stored "$name" "$stored_size" "$stored_orientation"
    e2e_note "$name: ok"
done

app_exit
