#!/usr/bin/env bash
# An upgrade file goes to the pass-through queue whole and unchanged after Yes, with the exact
# confirmation and outcome boxes, with Debug Mode off and on; No sends nothing and shows nothing.
source "$(dirname "$0")/lib/e2e.sh"
source "$(dirname "$0")/lib/app.sh"

app_work_dir upgrade-send
head -c 1048576 /dev/urandom >"$work/upgrade.kmf"
sent="Printing Complete~$(sent_text 1048576)~0x40"

app_start
select_printer "$RIG_QUEUE_VIRTUAL"

# debug | answer | boxes after the confirmation (caption~text~type, ";"-separated) | jobs
cases=(
    "unchecked|yes|$sent|1"
    "checked|yes|Printer Status~$XPS_ACCEPTED_TEXT~0x30;$sent|1"
    "unchecked|no||0"
    "checked|no||0"
)
for row in "${cases[@]}"; do
    IFS='|' read -r debug answer boxes jobs <<<"$row"
    name="Debug Mode $debug, answer $answer"
    set_debug_mode "$debug"
    before=$(e2e_job_count "$RIG_QUEUE_VIRTUAL")
    start_upgrade "$(win_path "$work/upgrade.kmf")"
    expect_box "$name: confirmation" "Confirm Upgrade" "$CONFIRM_TEXT" 0x34
    if [ "$debug" = unchecked ] && [ "$answer" = yes ]; then
        shot=$(e2e_screenshot app_upgrade_confirm "Confirm Upgrade")
        e2e_note "confirmation box: $shot"
    fi
    drv answer-msgbox "$APP_CAPTION" "$answer"
    expect_boxes "$name" "$boxes"
    expect_no_box "$name"
    if [ "$jobs" -eq 1 ]; then
        e2e_wait_jobs "$RIG_QUEUE_VIRTUAL" "$before" 1 30
        e2e_assert_job_file "$(e2e_job_file "$RIG_QUEUE_VIRTUAL" $((before + 1)))" "$work/upgrade.kmf"
    else
        e2e_expect_no_jobs "$RIG_QUEUE_VIRTUAL" "$before" 2
    fi
    e2e_note "$name: ok"
done

app_exit
