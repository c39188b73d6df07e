#!/usr/bin/env bash
# tessaline-cli and the window share the settings key: set with one, seen by the other, and
# used by the forms of both. Also: printers, forms on each kind of queue, reading never stores.
source "$(dirname "$0")/lib/e2e.sh"
source "$(dirname "$0")/lib/app.sh"
source "$(dirname "$0")/lib/cli.sh"

expect_selection() {
    drv_expect "$1: page size selection" "$2" get-selection "$SETUP_CAPTION" "$IDC_SETUP_PAGE_SIZE"
    drv_expect "$1: orientation selection" "$3" get-selection "$SETUP_CAPTION" "$IDC_SETUP_ORIENTATION"
}

cli_run printers
cli_expect "printers" 0 "$(sort <<<"$CLI_OUT")" ""
e2e_assert_eq "printers listed" "$(sort <<<"$RIG_PRINTER_LIST")" "$CLI_OUT"

# Nothing stored: shown as not set, and reading stores nothing.
app_reset_settings
cli_run settings
cli_expect "fresh settings" 0 $'Page Size: not set\nPage Orientation: not set' ""
e2e_assert_no_reg "$APP_SETTINGS_KEY" "Page Size"
e2e_assert_no_reg "$APP_SETTINGS_KEY" "Page Orientation"

# Only the value given is stored.
cli_run settings --page-size A4
cli_expect "page size only" 0 $'Page Size: 4, A4 (210 mm x 297 mm)\nPage Orientation: not set' ""
e2e_assert_no_reg "$APP_SETTINGS_KEY" "Page Orientation"
cli_run settings --orientation landscape --json
cli_expect "orientation, JSON" 0 \
    '{"page_size":4,"page_size_text":"A4 (210 mm x 297 mm)","orientation":1,"orientation_text":"Landscape"}' ""
e2e_assert_reg "$APP_SETTINGS_KEY" "Page Size" 0x4
e2e_assert_reg "$APP_SETTINGS_KEY" "Page Orientation" 0x1
e2e_assert_eq "type of Page Size" REG_DWORD "$(e2e_reg_type "$APP_SETTINGS_KEY" "Page Size")"

# Set with the command line, seen by the window; set in the window, seen by the command line.
app_start
setup_open
expect_selection "set by tessaline-cli" $'4\tA4 (210 mm x 297 mm)' $'1\tLandscape'
drv select "$SETUP_CAPTION" "$IDC_SETUP_PAGE_SIZE" --text "Legal (8 1/2 x 14 in.)"
drv select "$SETUP_CAPTION" "$IDC_SETUP_ORIENTATION" --text "Reverse Portrait"
setup_press "$IDOK"
cli_run settings
cli_expect "set in the window" 0 \
    $'Page Size: 2, Legal (8 1/2 x 14 in.)\nPage Orientation: 2, Reverse Portrait' ""

# Both send the same forms with them.
before=$(e2e_job_count "$RIG_QUEUE_VIRTUAL")
cli_run forms 4-3 --printer "$RIG_QUEUE_VIRTUAL"
cli_expect "forms, Legal reverse portrait" 0 "$RIG_QUEUE_VIRTUAL: forms 3 to 4: 2 of 2 jobs complete" ""
app_assert_form_jobs "$RIG_QUEUE_VIRTUAL" "$before" 3 2 3 4
cli_run settings --page-size Com-10 --orientation "Reverse Landscape"
before=$(e2e_job_count "$RIG_QUEUE_VIRTUAL")
app_print_forms "$RIG_QUEUE_VIRTUAL" 6
app_assert_form_jobs "$RIG_QUEUE_VIRTUAL" "$before" 81 3 6 6
app_exit
e2e_note "shared settings: ok"

# A4 landscape: ESC &l26a1O, through "RAW" on the queue that refuses "XPS_PASS" early.
cli_run settings --page-size 4 --orientation 1
before=$(e2e_job_count "$RIG_QUEUE_RAW_ONLY")
cli_run forms 2 -p "$RIG_QUEUE_RAW_ONLY" --json
CLI_OUT=$(json_steady "$CLI_OUT")
cli_expect "forms on b)" 0 \
    "{\"printer\":\"$RIG_QUEUE_RAW_ONLY\",\"uri\":null,\"form\":2,\"stage\":\"Completed\",\"size\":18,\"written\":18,\"datatype\":\"RAW\",\"job\":1,\"state\":null,\"state_reasons\":null,\"message\":null,\"seconds\":S}" ""
app_assert_form_jobs "$RIG_QUEUE_RAW_ONLY" "$before" 26 1 2 2

# Incomplete jobs are each reported: refused late on c), not opened on d).
before=$(e2e_job_count "$RIG_QUEUE_LATE")
cli_run forms 1-2 -p "$RIG_QUEUE_LATE" -p "$CLI_NO_PRINTER"
cli_expect "forms on c) and d)" 5 "$RIG_QUEUE_LATE: forms 1 to 2: 0 of 2 jobs complete
$CLI_NO_PRINTER: forms 1 to 2: 0 of 2 jobs complete" \
    "$RIG_QUEUE_LATE: form 1: the spooler failed to end the document
$RIG_QUEUE_LATE: form 2: the spooler failed to end the document
$CLI_NO_PRINTER: form 1: the printer could not be opened
$CLI_NO_PRINTER: form 2: the printer could not be opened"
e2e_expect_no_jobs "$RIG_QUEUE_LATE" "$before" 0.5
e2e_note "forms: ok"
