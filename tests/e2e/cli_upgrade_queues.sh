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
# As json_steady leaves a line: a followed job's reasons are R, its seconds S.
json() { # PRINTER STAGE WRITTEN DATATYPE JOB [STATE]
    local state=null reasons=null
    [ $# -lt 6 ] || { state=$6 && reasons=R; }
    printf '{"printer":"%s","uri":null,"stage":"%s","size":%s,"written":%s,"datatype":%s,"job":%s,"state":%s,"state_reasons":%s,"message":null,"seconds":S}' \
        "$1" "$2" "$size" "$3" "$4" "$5" "$state" "$reasons"
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
    "a) XPS_PASS|$RIG_QUEUE_VIRTUAL|0|$RIG_QUEUE_VIRTUAL: $sent|$RIG_QUEUE_VIRTUAL: Printer Status: $XPS_ACCEPTED_TEXT|$RIG_QUEUE_VIRTUAL"
    "b) RAW after early refusal|$RIG_QUEUE_RAW_ONLY|0|$RIG_QUEUE_RAW_ONLY: $sent|$RIG_QUEUE_RAW_ONLY: Printer Error: $XPS_REFUSED_TEXT|$RIG_QUEUE_RAW_ONLY"
    "c) late refusal|$RIG_QUEUE_LATE|5||$RIG_QUEUE_LATE: Printer Status: $XPS_ACCEPTED_TEXT
$RIG_QUEUE_LATE: Printer Error: $END_DOC_FAILED_TEXT|"
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
cli_run upgrade "$winfile" -p "$RIG_QUEUE_VIRTUAL" -p "$RIG_QUEUE_RAW_ONLY" -p "$RIG_QUEUE_LATE" \
    -p "$CLI_NO_PRINTER" --yes --json
# In the order they end: the refused ones at once, the handed-over ones when the run ends.
CLI_OUT=$(json_steady "$CLI_OUT")
cli_expect "fleet, JSON" 5 "$(json "$RIG_QUEUE_LATE" EndDocFailed 0 '"XPS_PASS"' 3)
$(json "$CLI_NO_PRINTER" OpenFailed 0 null null)
$(json "$RIG_QUEUE_VIRTUAL" Completed "$size" '"XPS_PASS"' 1)
$(json "$RIG_QUEUE_RAW_ONLY" Completed "$size" '"RAW"' 2)" ""
expect_arrivals "$RIG_QUEUE_VIRTUAL" "$RIG_QUEUE_RAW_ONLY"
e2e_note "fleet with JSON: ok"

# Several printers, one failing: a line each, then the summary; the highest code wins.
note_counts
cli_run upgrade "$winfile" -p "$RIG_QUEUE_RAW_ONLY" -p "$CLI_NO_PRINTER" -p "$RIG_QUEUE_VIRTUAL" --yes
w="$size/$size"
cli_expect "fleet, text" 4 "$RIG_QUEUE_RAW_ONLY: $sent
$RIG_QUEUE_VIRTUAL: $sent
PRINTER                    STAGE       WRITTEN        JOB  EXIT
$RIG_QUEUE_RAW_ONLY         Completed   $w  1    0
$CLI_NO_PRINTER  OpenFailed  0/$size       -    4
$RIG_QUEUE_VIRTUAL  Completed   $w  2    0" \
    "$CLI_NO_PRINTER: Printer Error: $PRINTER_NOT_OPENED_TEXT"
expect_arrivals "$RIG_QUEUE_VIRTUAL" "$RIG_QUEUE_RAW_ONLY"
e2e_note "fleet with summary: ok"

# --wait: Wine's GetJob no longer knows a job once its document has ended, so the state is
# Unknown at once, said plainly, and never taken as printed.
note_counts
cli_run upgrade "$winfile" -p "$RIG_QUEUE_VIRTUAL" --yes --wait 20 --json
CLI_OUT=$(json_steady "$CLI_OUT")
cli_expect "--wait under Wine" 7 "$(json "$RIG_QUEUE_VIRTUAL" Completed "$size" '"XPS_PASS"' 1 '"Unknown"')" ""
expect_arrivals "$RIG_QUEUE_VIRTUAL"
start=$SECONDS
cli_run upgrade "$winfile" -p "$RIG_QUEUE_RAW_ONLY" --yes --wait
cli_expect "--wait under Wine, text" 7 "$RIG_QUEUE_RAW_ONLY: $sent" \
    "$RIG_QUEUE_RAW_ONLY: the spooler cannot tell what became of job 1; it was handed over whole, but whether it printed is not known"
[ $((SECONDS - start)) -lt 20 ] || e2e_fail "--wait on an Unknown job took $((SECONDS - start)) s"
e2e_note "--wait: ok"
