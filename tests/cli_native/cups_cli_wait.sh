#!/usr/bin/env bash
# --wait follows each job in CUPS until it ends: completed; aborted by a printer that refuses
# connections; lost with a deleted queue; still pending when the time runs out.
source "$(dirname "$0")/lib/cli_native.sh"

cli_random_file "$work/upgrade.bin" 100000
sent_a=$(cli_sent_line "$RIG_QUEUE_RAW_ONLY" 100000)
json_job() { sed -n 's/.*"job":\([0-9]*\).*/\1/p' <<<"$CLI_OUT"; }
queue_has_job() { [ -n "$(lpstat -o "$1" 2>/dev/null)" ]; }

# ---- completed ----

cli_run upgrade "$work/upgrade.bin" --printer "$RIG_QUEUE_RAW_ONLY" --yes --wait 30 --json
job=$(json_job)
CLI_OUT=$(json_steady "$CLI_OUT")
cli_expect "completed" 0 \
    '{"printer":"'"$RIG_QUEUE_RAW_ONLY"'","uri":null,"stage":"Completed","size":100000,"written":100000,"datatype":"RAW","job":'"$job"',"state":"Completed","state_reasons":R,"message":null,"seconds":S}' ""
cli_run upgrade "$work/upgrade.bin" --printer "$RIG_QUEUE_RAW_ONLY" --yes --wait 30
job=$(grep -o 'job [0-9]*' <<<"$CLI_OUT" | cut -d' ' -f2)
cli_expect "completed, text" 0 "$sent_a
$RIG_QUEUE_RAW_ONLY: job $job completed" ""

# ---- aborted: the printer refuses every connection ----

# The socket backend gives up after its connection timeout (one retry, about 5 s), and the
# queue's error policy aborts the job.
e2e_capture_mode "$RIG_QUEUE_LATE" refuse
cli_make_queue Tessaline_Cli_Refused "$RIG_QUEUE_LATE" contimeout=1
cli_run upgrade "$work/upgrade.bin" --printer Tessaline_Cli_Refused --yes --wait 60 --json
job=$(json_job)
CLI_OUT=$(json_steady "$CLI_OUT")
cli_expect "aborted" 7 \
    '{"printer":"Tessaline_Cli_Refused","uri":null,"stage":"Completed","size":100000,"written":100000,"datatype":"RAW","job":'"$job"',"state":"Aborted","state_reasons":R,"message":null,"seconds":S}' ""
e2e_capture_mode "$RIG_QUEUE_LATE" accept

# ---- lost: the queue is deleted while the job waits in it ----

cli_make_queue Tessaline_Cli_Deleted "$RIG_QUEUE_LATE"
cupsdisable Tessaline_Cli_Deleted
"$CLI" upgrade "$work/upgrade.bin" --printer Tessaline_Cli_Deleted --yes --wait 30 \
    </dev/null >"$work/deleted.out" 2>"$work/deleted.err" &
pid=$!
wait_until 10 queue_has_job Tessaline_Cli_Deleted ||
    e2e_fail "deleted: the job never reached the queue"
job=$(lpstat -o Tessaline_Cli_Deleted | awk '{print $1}' | sed 's/.*-//')
lpadmin -x Tessaline_Cli_Deleted
CLI_RC=0
wait "$pid" || CLI_RC=$?
CLI_OUT=$(cat "$work/deleted.out")
CLI_ERR=$(cat "$work/deleted.err")
cli_expect "deleted queue" 7 "$(cli_sent_line Tessaline_Cli_Deleted 100000)" \
    "Tessaline_Cli_Deleted: the spooler cannot tell what became of job $job; it was handed over whole, but whether it printed is not known"

# ---- time runs out: the queue is paused ----

cli_make_queue Tessaline_Cli_Paused "$RIG_QUEUE_LATE"
cupsdisable Tessaline_Cli_Paused
start=$SECONDS
cli_run upgrade "$work/upgrade.bin" --printer Tessaline_Cli_Paused --yes --wait 1
job=$(lpstat -o Tessaline_Cli_Paused | awk '{print $1}' | sed 's/.*-//')
cli_expect "timeout" 7 "$(cli_sent_line Tessaline_Cli_Paused 100000)" \
    "Tessaline_Cli_Paused: job $job did not finish within 1 seconds (still pending)"
[ $((SECONDS - start)) -le 5 ] || e2e_fail "timeout: took $((SECONDS - start)) s for --wait 1"

echo "all checks passed"
