#!/usr/bin/env bash
# An upgrade file goes to the pass-through queue whole and unchanged after Yes, with the exact
# confirmation and outcome boxes, with Debug Mode off and on; No sends nothing and shows nothing.
source "$(dirname "$0")/lib/e2e.sh"
source "$(dirname "$0")/lib/upgrade.sh"

work=$(mktemp -d "$RIG_DIR/upgrade-send.XXXXXX")
trap 'e2e_cleanup; rm -rf "$work"' EXIT
head -c 1048576 /dev/urandom >"$work/upgrade.kmf"
sent_text='Successfully sent entire file to printer.  File size: 1048576, Bytes written: 1048576'

app_start
select_printer "$QUEUE_A"

# debug | answer | boxes after the confirmation (caption~text~type, ";"-separated) | jobs
cases=(
    "unchecked|yes|Printing Complete~$sent_text~0x40|1"
    "checked|yes|Printer Status~$XPS_ACCEPTED_TEXT~0x30;Printing Complete~$sent_text~0x40|1"
    "unchecked|no||0"
    "checked|no||0"
)
for row in "${cases[@]}"; do
    IFS='|' read -r debug answer boxes jobs <<<"$row"
    name="Debug Mode $debug, answer $answer"
    set_debug_mode "$debug"
    before=$(e2e_job_count "$QUEUE_A")
    start_upgrade "$(win_path "$work/upgrade.kmf")"
    d_expect "$name: confirmation" "$(box_report "Confirm Upgrade" "$CONFIRM_TEXT" 0x34)" \
        wait-msgbox "$APP_W" --timeout 30
    if [ "$debug" = unchecked ] && [ "$answer" = yes ]; then
        shot=$(e2e_screenshot app_upgrade_confirm "Confirm Upgrade")
        e2e_note "confirmation box: $shot"
    fi
    d answer-msgbox "$APP_W" "$answer"
    IFS=';' read -r -a steps <<<"$boxes"
    for step in "${steps[@]}"; do
        IFS='~' read -r caption text type <<<"$step"
        expect_box "$name: $caption" "$caption" "$text" "$type" ok
    done
    expect_no_box "$name"
    if [ "$jobs" -eq 1 ]; then
        e2e_wait_jobs "$QUEUE_A" "$before" 1 30
        e2e_assert_job_file "$(e2e_job_file "$QUEUE_A" $((before + 1)))" "$work/upgrade.kmf"
    else
        e2e_expect_no_jobs "$QUEUE_A" "$before" 2
    fi
    e2e_note "$name: ok"
done

app_exit
