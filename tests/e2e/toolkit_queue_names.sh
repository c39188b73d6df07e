# The one file of queue names (tests/lib/queue_names.sh) names the rig's queues: the rig runs
# exactly those, each with its capture printer, and Wine lists them as the tests expect.
source "$(dirname "$0")/lib/e2e.sh"

e2e_assert_eq "the rig's queues" "${RIG_TEST_QUEUES[*]}" "$RIG_QUEUES"
e2e_assert_eq "three distinct queues" 3 "$(printf '%s\n' "${RIG_TEST_QUEUES[@]}" | sort -u | wc -l)"
for queue in "$RIG_QUEUE_VIRTUAL" "$RIG_QUEUE_RAW_ONLY" "$RIG_QUEUE_LATE"; do
    [ -d "$(e2e_jobs_dir "$queue")" ] || e2e_fail "no capture folder for $queue"
    lpstat -v "$queue" >/dev/null 2>&1 || e2e_fail "CUPS has no queue $queue"
done
e2e_assert_eq "the run printer's queue is a test queue" "$RIG_QUEUE_VIRTUAL" "$RIG_RUN_QUEUE"
rawjob=$TESSALINE_WIN_BUILD/tools/rawjob/rawjob.exe
e2e_assert_eq "printers Wine lists" "$(sort <<<"$RIG_PRINTER_LIST")" \
    "$(e2e_wine "$rawjob" --list | sort)"
