#!/usr/bin/env bash
# What the user sees after Yes on queues that refuse "XPS_PASS" early (the file goes through
# "RAW"), refuse it late (nothing arrives), and with no printer selected, Debug Mode off and on.
source "$(dirname "$0")/lib/e2e.sh"
source "$(dirname "$0")/lib/app.sh"

app_work_dir upgrade-queues
head -c 1048576 /dev/urandom >"$work/upgrade.kmf"
sent="Printing Complete~$(sent_text 1048576)~0x40"
xps_ok="Printer Status~$XPS_ACCEPTED_TEXT~0x30"
xps_refused="Printer Error~$XPS_REFUSED_TEXT~0x30"
late="Printer Error~$END_DOC_FAILED_TEXT~0x30"
not_opened="Printer Error~$PRINTER_NOT_OPENED_TEXT~0x30"

app_start

# name | printer ("" for none) | Debug Mode | boxes after Yes (";"-separated) | queue the file
# must reach ("" for none)
cases=(
    "early refusal|$RIG_QUEUE_RAW_ONLY|unchecked|$sent|$RIG_QUEUE_RAW_ONLY"
    "early refusal|$RIG_QUEUE_RAW_ONLY|checked|$xps_refused;$sent|$RIG_QUEUE_RAW_ONLY"
    "late refusal|$RIG_QUEUE_LATE|unchecked|$late|"
    "late refusal|$RIG_QUEUE_LATE|checked|$xps_ok;$late|"
    "no printer||unchecked|$not_opened|"
    "no printer||checked|$not_opened|"
)
for row in "${cases[@]}"; do
    IFS='|' read -r name printer debug boxes target <<<"$row"
    name="$name, Debug Mode $debug"
    if [ -n "$printer" ]; then
        select_printer "$printer"
    else
        clear_printer_selection
    fi
    set_debug_mode "$debug"
    declare -A before=()
    for queue in $RIG_QUEUES; do
        before[$queue]=$(e2e_job_count "$queue")
    done
    upgrade_file "$name" "$work/upgrade.kmf" "$boxes"
    expect_no_box "$name"
    if [ -n "$target" ]; then
        e2e_wait_jobs "$target" "${before[$target]}" 1 30
        e2e_assert_job_file "$(e2e_job_file "$target" $((before[$target] + 1)))" \
            "$work/upgrade.kmf"
    fi
    for queue in $RIG_QUEUES; do
        [ "$queue" = "$target" ] || e2e_expect_no_jobs "$queue" "${before[$queue]}" 0.7
    done
    unset before
    e2e_note "$name: ok"
done

app_exit
