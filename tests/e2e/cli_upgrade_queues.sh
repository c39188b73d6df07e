#!/usr/bin/env bash
# tessaline-cli upgrade on the rig's queues: a) takes "XPS_PASS", b) refuses it early and takes
# "RAW", c) refuses it late (nothing arrives), d) a printer that cannot be opened; then all in
# one run, and --wait, which Wine's spooler cannot answer once a job has ended.
source "$(dirname "$0")/lib/e2e.sh"
source "$(dirname "$0")/lib/app.sh"
source "$(dirname "$0")/lib/cli.sh"

app_work_dir cli-upgrade-queues
file=$work/upgrade.kmf
head -c 300000 /dev/urandom >"$file"
# The bytes a raw job must keep whatever they are.
printf '\033E\000\014\r\n' >>"$file"
size=$(stat -c %s "$file")
sent=$(sent_text "$size")
winfile=$(win_path "$file")
json() { # PRINTER STAGE WRITTEN DATATYPE JOB [STATE]
    local state=
    [ $# -lt 6 ] || state=",\"state\":$6"
    printf '{"printer":"%s","stage":"%s","size":%s,"written":%s,"datatype":%s,"job":%s%s}' \
        "$1" "$2" "$size" "$3" "$4" "$5" "$state"
}

declare -A before=()
note_counts() { for q in $RIG_QUEUES; do before[$q]=$(e2e_job_count "$q"); done; }
# expect_arrivals QUEUE...: the file reached exactly these queues, once each, byte for byte.
expect_arrivals() {
    local q hit
    for q in $RIG_QUEUES; do
        hit=0
        for target in "$@"; do [ "$q" != "$target" ] || hit=1; done
        if [ "$hit" = 1 ]; then
            e2e_wait_jobs "$q" "${before[$q]}" 1 30
            e2e_assert_job_file "$(e2e_job_file "$q" $((before[$q] + 1)))" "$file"
        else
            e2e_expect_no_jobs "$q" "${before[$q]}" 0.5
        fi
    done
}

# name | queue | exit code | stdout | stderr with --debug | queue the file must reach
cases=(
    "a) XPS_PASS|$APP_QUEUE_A|0|$APP_QUEUE_A: $sent|$APP_QUEUE_A: Printer Status: $XPS_ACCEPTED_TEXT|$APP_QUEUE_A"
    "b) RAW after early refusal|$APP_QUEUE_B|0|$APP_QUEUE_B: $sent|$APP_QUEUE_B: Printer Error: $XPS_REFUSED_TEXT|$APP_QUEUE_B"
    "c) late refusal|$APP_QUEUE_C|5||$APP_QUEUE_C: Printer Status: $XPS_ACCEPTED_TEXT
$APP_QUEUE_C: Printer Error: $END_DOC_FAILED_TEXT|"
    "d) no such printer|$CLI_NO_PRINTER|4||$CLI_NO_PRINTER: Printer Error: $PRINTER_NOT_OPENED_TEXT|"
)
for row in "${cases[@]}"; do
    IFS='|' read -r -d '' name queue rc out err target <<<"$row" || true
    target=${target%$'\n'}
    note_counts
    cli_run upgrade "$winfile" --printer "$queue" --yes --debug
    cli_expect "$name" "$rc" "$out" "$err"
    expect_arrivals ${target:+"$target"}
    e2e_note "$name: ok"
done

# JSON names the datatype each queue took.
note_counts
cli_run upgrade "$winfile" -p "$APP_QUEUE_A" -p "$APP_QUEUE_B" -p "$APP_QUEUE_C" \
    -p "$CLI_NO_PRINTER" --yes --json
cli_expect "fleet, JSON" 5 "$(json "$APP_QUEUE_A" Completed "$size" '"XPS_PASS"' 1)
$(json "$APP_QUEUE_B" Completed "$size" '"RAW"' 2)
$(json "$APP_QUEUE_C" EndDocFailed 0 '"XPS_PASS"' 3)
$(json "$CLI_NO_PRINTER" OpenFailed 0 null null)" ""
expect_arrivals "$APP_QUEUE_A" "$APP_QUEUE_B"
e2e_note "fleet with JSON: ok"

# Several printers, one failing: a line each, then the summary; the highest code wins.
note_counts
cli_run upgrade "$winfile" -p "$APP_QUEUE_B" -p "$CLI_NO_PRINTER" -p "$APP_QUEUE_A" --yes
w="$size/$size"
cli_expect "fleet, text" 4 "$APP_QUEUE_B: $sent
$APP_QUEUE_A: $sent
PRINTER                    STAGE       WRITTEN        JOB  EXIT
$APP_QUEUE_B         Completed   $w  1    0
$CLI_NO_PRINTER  OpenFailed  0/$size       -    4
$APP_QUEUE_A  Completed   $w  2    0" \
    "$CLI_NO_PRINTER: Printer Error: $PRINTER_NOT_OPENED_TEXT"
expect_arrivals "$APP_QUEUE_A" "$APP_QUEUE_B"
e2e_note "fleet with summary: ok"

# --wait: Wine's GetJob no longer knows a job once its document has ended, so the state is
# Unknown at once, said plainly, and never taken as printed.
note_counts
cli_run upgrade "$winfile" -p "$APP_QUEUE_A" --yes --wait 20 --json
cli_expect "--wait under Wine" 7 "$(json "$APP_QUEUE_A" Completed "$size" '"XPS_PASS"' 1 '"Unknown"')" ""
expect_arrivals "$APP_QUEUE_A"
start=$SECONDS
cli_run upgrade "$winfile" -p "$APP_QUEUE_B" --yes --wait
cli_expect "--wait under Wine, text" 7 "$APP_QUEUE_B: $sent" \
    "$APP_QUEUE_B: the spooler cannot tell what became of job 1; it was handed over whole, but whether it printed is not known"
[ $((SECONDS - start)) -lt 20 ] || e2e_fail "--wait on an Unknown job took $((SECONDS - start)) s"
e2e_note "--wait: ok"
