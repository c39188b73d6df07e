#!/usr/bin/env bash
# Ctrl-C in the middle of a run to cupsd queues and printers reached by IPP address: no new job
# starts, the job being uploaded is cancelled, the ones handed over are let be, every printer
# is reported, exit 130, and neither the cupsd nor a printer holds a half-made job.
source "$(dirname "$0")/lib/cli_ipp.sh"

PCL=application/vnd.hp-PCL
size=$((256 * 1048576))
cli_random_file "$work/big.bin" "$size"
cli_make_queue Tessaline_Int_First "$RIG_QUEUE_VIRTUAL"
cli_make_queue Tessaline_Int_Last "$RIG_QUEUE_VIRTUAL"
cli_ipp_printer Ipp_Int_Uploading -f "$PCL"
cli_ipp_printer Ipp_Int_Waiting -f "$PCL"
uploading=$(cli_ipp_uri Ipp_Int_Uploading)
waiting=$(cli_ipp_uri Ipp_Int_Waiting)
before=$(e2e_job_count "$RIG_QUEUE_VIRTUAL")

# With --parallel 1 the jobs go one at a time, in the list's order: the first queue's has ended
# when the first printer's upload begins.
jobs=$(ipp_printer_jobs Ipp_Int_Uploading)
upload_started() { [ "$(find "$jobs" -maxdepth 1 -type f -size +1M | wc -l)" -gt 0 ]; }
# Started with SIGINT at its default, as a terminal's foreground program is: a background job of
# a script would have it ignored.
python3 -c 'import os, signal, sys
signal.signal(signal.SIGINT, signal.SIG_DFL)
os.execv(sys.argv[1], sys.argv[1:])' "$CLI" upgrade "$work/big.bin" -p Tessaline_Int_First \
    -p "$uploading" -p "$waiting" -p Tessaline_Int_Last --parallel 1 --yes --format "$PCL" --json \
    </dev/null >"$work/run.out" 2>"$work/run.err" &
pid=$!
wait_until 60 upload_started || e2e_fail "the upload to $uploading never began: $(cat "$work/run.err")"
kill -INT "$pid"
received=$(find "$jobs" -maxdepth 1 -type f -printf '%s\n' | head -n 1)
CLI_RC=0
wait_until 30 e2e_not_running "$pid" || e2e_fail "the program still runs 30 s after Ctrl-C"
wait "$pid" || CLI_RC=$?
CLI_OUT=$(cat "$work/run.out")
CLI_ERR=$(cat "$work/run.err")
[ "$received" -lt "$size" ] ||
    e2e_fail "the whole file had arrived before Ctrl-C; the test needs a bigger file"
e2e_assert_eq "exit code (stderr: $CLI_ERR)" 130 "$CLI_RC"

# One line per printer, each reported once.
stage_of() {
    python3 -c 'import json, sys
for line in sys.stdin:
    obj = json.loads(line)
    if obj["printer"] == sys.argv[1] or obj["uri"] == sys.argv[1]:
        print(obj["stage"])' "$1" <<<"$CLI_OUT"
}
e2e_assert_eq "lines" 4 "$(grep -c . <<<"$CLI_OUT")"
e2e_assert_eq "the first queue: handed over before Ctrl-C" Completed "$(stage_of Tessaline_Int_First)"
e2e_assert_eq "the printer not started" NotStarted "$(stage_of "$waiting")"
e2e_assert_eq "the queue not started" NotStarted "$(stage_of Tessaline_Int_Last)"
stage=$(stage_of "$uploading")
[ -n "$stage" ] && [ "$stage" != Completed ] && [ "$stage" != NotStarted ] ||
    e2e_fail "the printer being uploaded to: stage '$stage'"
message=$(python3 -c 'import json, sys
print(*[o["message"] for o in map(json.loads, sys.stdin) if o["uri"] == sys.argv[1]])' \
    "$uploading" <<<"$CLI_OUT")
sent=$(sed -n "s/^interrupted: stopped after \([0-9]*\) of $size bytes; the job is cancelled$/\1/p" \
    <<<"$message")
[ -n "$sent" ] || e2e_fail "the printer being uploaded to: message '$message'"
[ "$sent" -ge "$received" ] ||
    e2e_fail "the printer being uploaded to: sent $sent, but it had kept $received bytes"

# Nothing half-made anywhere; the one handed over arrives whole.
cli_assert_no_queued_jobs "after Ctrl-C" Tessaline_Int_First
cli_assert_no_queued_jobs "after Ctrl-C" Tessaline_Int_Last
cli_assert_no_open_jobs "after Ctrl-C" "$uploading"
cli_assert_no_open_jobs "after Ctrl-C" "$waiting"
e2e_assert_eq "jobs at the waiting printer" "" "$(ipp_jobs "$waiting" all)"
e2e_wait_jobs "$RIG_QUEUE_VIRTUAL" "$before" 1 60
cli_assert_same_file "the first queue" "$(e2e_job_file "$RIG_QUEUE_VIRTUAL" $((before + 1)))" \
    "$work/big.bin"
e2e_note "Ctrl-C after $received of $size bytes to $uploading: its stage $stage"

# ---- Ctrl-C while two uploads go out side by side: both are cancelled ----

cli_ipp_printer Ipp_Int_Side_A -f "$PCL"
cli_ipp_printer Ipp_Int_Side_B -f "$PCL"
side_a=$(cli_ipp_uri Ipp_Int_Side_A)
side_b=$(cli_ipp_uri Ipp_Int_Side_B)
jobs_a=$(ipp_printer_jobs Ipp_Int_Side_A)
jobs_b=$(ipp_printer_jobs Ipp_Int_Side_B)
both_started() {
    [ "$(find "$jobs_a" "$jobs_b" -maxdepth 1 -type f -size +1M | wc -l)" -ge 2 ]
}
python3 -c 'import os, signal, sys
signal.signal(signal.SIGINT, signal.SIG_DFL)
os.execv(sys.argv[1], sys.argv[1:])' "$CLI" upgrade "$work/big.bin" -p "$side_a" -p "$side_b" \
    --parallel 2 --yes --format "$PCL" --json </dev/null >"$work/side.out" 2>"$work/side.err" &
pid=$!
wait_until 60 both_started || e2e_fail "side by side: the two uploads never ran at once"
kill -INT "$pid"
CLI_RC=0
wait_until 30 e2e_not_running "$pid" || e2e_fail "side by side: still running 30 s after Ctrl-C"
wait "$pid" || CLI_RC=$?
CLI_OUT=$(cat "$work/side.out")
e2e_assert_eq "side by side: exit code (stderr: $(cat "$work/side.err"))" 130 "$CLI_RC"
for uri in "$side_a" "$side_b"; do
    message=$(python3 -c 'import json, sys
print(*[o["stage"] + " " + o["message"] for o in map(json.loads, sys.stdin) if o["uri"] == sys.argv[1]])' \
        "$uri" <<<"$CLI_OUT")
    [[ $message == "WriteFailed interrupted: stopped after "*" of $size bytes; the job is cancelled" ]] ||
        e2e_fail "side by side: $uri: '$message'"
    cli_assert_no_open_jobs "side by side, after Ctrl-C" "$uri"
done
e2e_note "side by side: both uploads cancelled"

echo "all checks passed"
