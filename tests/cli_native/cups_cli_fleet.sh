#!/usr/bin/env bash
# A fleet of 50 printers from a printers file, cupsd queues and printers reached by IPP address
# mixed, with --parallel 4: the spoolers' own logs show at most 4 jobs in flight at any moment,
# and every printer got the file whole.
source "$(dirname "$0")/lib/cli_ipp.sh"

PCL=application/vnd.hp-PCL
PARALLEL=4
QUEUES=30
PRINTERS=20
cli_random_file "$work/upgrade.bin" 65536
size=65536
captures=("$RIG_QUEUE_VIRTUAL" "$RIG_QUEUE_RAW_ONLY" "$RIG_QUEUE_LATE")
declare -A before
for capture in "${captures[@]}"; do
    before[$capture]=$(e2e_job_count "$capture")
done

# The list: queues and addresses in turn, with comments and blank lines, which are skipped.
{
    echo "# the fleet of $((QUEUES + PRINTERS))"
    echo
    for n in $(seq 1 $((QUEUES > PRINTERS ? QUEUES : PRINTERS))); do
        if [ "$n" -le "$QUEUES" ]; then
            queue=$(printf 'Tessaline_Fleet_%02d' "$n")
            cli_make_queue "$queue" "${captures[$((n % 3))]}"
            echo "$queue"
        fi
        if [ "$n" -le "$PRINTERS" ]; then
            name=$(printf 'Ipp_Fleet_%02d' "$n")
            cli_ipp_printer "$name" -f "$PCL"
            echo "   # printer $n"
            echo "$(cli_ipp_uri "$name")"
        fi
    done
} >"$work/printers.txt"
error_log=$RIG_DIR/cups/log/error_log

started=$SECONDS
cli_run upgrade "$work/upgrade.bin" --printers-file "$work/printers.txt" --parallel "$PARALLEL" \
    --yes --format "$PCL" --json
e2e_note "$((QUEUES + PRINTERS)) printers in $((SECONDS - started)) s"
e2e_assert_eq "exit code (stderr: $CLI_ERR)" 0 "$CLI_RC"
e2e_assert_eq "standard error" "" "$CLI_ERR"

# Every printer once, Completed, with the whole file.
report=$(python3 -c 'import json, sys
for line in sys.stdin:
    o = json.loads(line)
    print(o["printer"] if o["uri"] is None else o["uri"], o["stage"], o["written"], o["job"])' \
    <<<"$CLI_OUT") || e2e_fail "not one JSON object a line: $CLI_OUT"
e2e_assert_eq "the printers reported" "$(grep -v '^ *#' "$work/printers.txt" | grep . | sort)" \
    "$(cut -d' ' -f1 <<<"$report" | sort)"
e2e_assert_eq "not Completed with $size bytes" "" "$(awk -v s="$size" '$2 != "Completed" || $3 != s' <<<"$report")"

# ---- at most 4 in flight, by the cupsd's error_log and the printers' logs ----

cupsd_jobs=$(grep -v '^ipp' <<<"$report" | cut -d' ' -f4 | paste -sd,)
logs=()
for n in $(seq 1 "$PRINTERS"); do
    logs+=("$(ipp_printer_log "$(printf 'Ipp_Fleet_%02d' "$n")")")
done
flight=$(python3 "$E2E_TOOLKIT/jobs_in_flight.py" --cupsd-log "$error_log" \
    --cupsd-jobs "$cupsd_jobs" --printer-log "${logs[@]}") || e2e_fail "the logs do not tell every job"
most=$(tail -n 1 <<<"$flight" | cut -d' ' -f2)
e2e_assert_eq "jobs in the logs" $((QUEUES + PRINTERS)) $(($(wc -l <<<"$flight") - 1))
echo "largest number of jobs in flight: $most (--parallel $PARALLEL)"
[ "$most" -le "$PARALLEL" ] || e2e_fail "$most jobs in flight at once:"$'\n'"$flight"
# A window that never opens past one would pass the limit too.
[ "$most" -ge 2 ] || e2e_fail "never more than one job in flight: --parallel did nothing"

# ---- every printer got the file whole ----

for capture in "${captures[@]}"; do
    E2E_SURPLUS_GRACE=0.2 e2e_wait_jobs "$capture" "${before[$capture]}" $((QUEUES / 3)) 30
    for n in $(seq $((before[$capture] + 1)) $((before[$capture] + QUEUES / 3))); do
        cli_assert_same_file "$capture job $n" "$(e2e_job_file "$capture" "$n")" "$work/upgrade.bin"
    done
done
for n in $(seq 1 "$PRINTERS"); do
    name=$(printf 'Ipp_Fleet_%02d' "$n")
    cli_assert_same_file "$name" "$(cli_only_document "$name" "$name")" "$work/upgrade.bin"
done

echo "all checks passed"
