#!/usr/bin/env bash
# Forms tests from the main window: which jobs a forms text makes, in which order, and their
# exact bytes at the printer, with and without stored print settings, and through the RAW
# fallback of a queue that refuses "XPS_PASS".
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib/e2e.sh"
source "$here/lib/app.sh"

app_reset_settings
before_b=$(e2e_job_count "$RIG_QUEUE_RAW_ONLY")
before_c=$(e2e_job_count "$RIG_QUEUE_LATE")
app_start

# name | forms text | first form | last form. With no stored settings: Letter (2), portrait.
cases=(
    "range|4-11|4|11"
    "range written high to low|11-4|4|11"
    "leading dash|-5|0|5"
    "trailing dash|4-|0|4"
    "second dash ignored|3-5-7|3|5"
    "no digits|abc|0|0"
    "empty||0|0"
    "single form|7|7|7"
    "spaces around|$(printf ' 12 ')|12|12"
    "range of one|4-4|4|4"
)
for row in "${cases[@]}"; do
    IFS='|' read -r name text first last <<<"$row"
    e2e_note "case '$name': forms text '$text'"
    before=$(e2e_job_count "$RIG_QUEUE_VIRTUAL")
    app_print_forms "$RIG_QUEUE_VIRTUAL" "$text"
    drv_expect "$name: forms field after Print" "$text" get-text "$APP_CAPTION" "$IDC_MAIN_FORMS"
    app_assert_form_jobs "$RIG_QUEUE_VIRTUAL" "$before" 2 0 "$first" "$last"
done
# The last job (form 4, Letter, portrait) spelled out, so the expected bytes' helper is checked.
e2e_assert_job_hex "$(e2e_job_file "$RIG_QUEUE_VIRTUAL" "$(e2e_job_count "$RIG_QUEUE_VIRTUAL")")" \
    "1b 45 1b 26 6c 32 61 30 4f 1b 26 66 34 79 33 58 0c"
e2e_assert_eq "jobs at $RIG_QUEUE_RAW_ONLY while printing to $RIG_QUEUE_VIRTUAL" "$before_b" \
    "$(e2e_job_count "$RIG_QUEUE_RAW_ONLY")"

# A queue that refuses "XPS_PASS" at the document start gets the job as "RAW".
before_a=$(e2e_job_count "$RIG_QUEUE_VIRTUAL")
app_print_forms "$RIG_QUEUE_RAW_ONLY" 9
app_assert_form_jobs "$RIG_QUEUE_RAW_ONLY" "$before_b" 2 0 9 9
e2e_assert_eq "jobs at $RIG_QUEUE_VIRTUAL while printing to $RIG_QUEUE_RAW_ONLY" "$before_a" \
    "$(e2e_job_count "$RIG_QUEUE_VIRTUAL")"
e2e_assert_eq "jobs at $RIG_QUEUE_LATE" "$before_c" "$(e2e_job_count "$RIG_QUEUE_LATE")"

# Stored settings are read afresh for every form, so they are changed while the program runs.
# name | stored Page Size | stored Page Orientation | code sent | orientation sent
stored=(
    "A4 landscape|4|1|26|1"
    "Executive reverse landscape|0|3|1|3"
    "Maximum reverse portrait|11|2|101|2"
    "no page size chosen|0xffffffff|3|2|3"
    "no orientation chosen|5|0xffffffff|27|-1"
)
for row in "${stored[@]}"; do
    IFS='|' read -r name size orientation code sent <<<"$row"
    e2e_reg_add "$APP_SETTINGS_KEY" "Page Size" REG_DWORD "$size"
    e2e_reg_add "$APP_SETTINGS_KEY" "Page Orientation" REG_DWORD "$orientation"
    before=$(e2e_job_count "$RIG_QUEUE_VIRTUAL")
    app_print_forms "$RIG_QUEUE_VIRTUAL" 2
    app_assert_form_jobs "$RIG_QUEUE_VIRTUAL" "$before" "$code" "$sent" 2 2
done

# The A4 landscape job spelled out, so the helper that builds expected bytes is checked too.
e2e_reg_add "$APP_SETTINGS_KEY" "Page Size" REG_DWORD 4
e2e_reg_add "$APP_SETTINGS_KEY" "Page Orientation" REG_DWORD 1
before=$(e2e_job_count "$RIG_QUEUE_VIRTUAL")
app_print_forms "$RIG_QUEUE_VIRTUAL" 2
e2e_wait_jobs "$RIG_QUEUE_VIRTUAL" "$before" 1
e2e_assert_job_hex "$(e2e_job_file "$RIG_QUEUE_VIRTUAL" $((before + 1)))" \
    "1b 45 1b 26 6c 32 36 61 31 4f 1b 26 66 32 79 33 58 0c"

app_exit
# A form test only reads the settings: what was stored is still there, nothing was added.
e2e_assert_reg "$APP_SETTINGS_KEY" "Page Size" 0x4
e2e_assert_reg "$APP_SETTINGS_KEY" "Page Orientation" 0x1
app_reset_settings
