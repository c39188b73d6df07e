# The toolkit's one way to count and wait for captured jobs (tests/lib/jobs.sh, wait.sh): only
# finished jobs count, in arrival order, and every wait ends in time, saying what it saw.
source "$(dirname "$0")/lib/e2e.sh"

work=$(mktemp -d "$RIG_DIR/toolkit_jobs.XXXXXX")
writer=
trap 'e2e_cleanup; [ -z "$writer" ] || kill "$writer" 2>/dev/null; rm -rf "$work"' EXIT
jobs=$work/jobs
mkdir "$jobs"

e2e_assert_eq "empty folder" 0 "$(jobs_count "$jobs")"
e2e_assert_eq "no newest job" "" "$(jobs_newest "$jobs")"
e2e_assert_eq "file of job 7" "$jobs/job-000007.bin" "$(jobs_file "$jobs" 7)"

# Arriving jobs (".part") and other files do not count; the rest sort in arrival order.
for name in job-000002.bin job-000010.bin job-000001.bin job-000011.bin.part capture.log \
    job-1.bin.old; do
    : >"$jobs/$name"
done
e2e_assert_eq "finished jobs" 3 "$(jobs_count "$jobs")"
e2e_assert_eq "in arrival order" "$jobs/job-000001.bin
$jobs/job-000002.bin
$jobs/job-000010.bin" "$(jobs_list "$jobs")"
e2e_assert_eq "newest job" "$jobs/job-000010.bin" "$(jobs_newest "$jobs")"

# A wait that times out: false, after the time given and not long after, with a reason.
started=$(wait_now_us)
status=0
jobs_wait "$jobs" 4 0.3 2>"$work/err" || status=$?
took=$(($(wait_now_us) - started))
e2e_assert_eq "timed out wait: status" 1 "$status"
e2e_assert_eq "timed out wait: reason" "expected 4 job(s) in $jobs within 0.3 s, got 3" \
    "$(cat "$work/err")"
[ "$took" -ge 300000 ] && [ "$took" -lt 2000000 ] ||
    e2e_fail "a wait of 0.3 s took $took us"

# A job that finishes during the wait ends it at once; one that is still arriving does not.
(
    sleep 0.3
    : >"$jobs/job-000012.bin.part"
    sleep 0.3
    mv "$jobs/job-000012.bin.part" "$jobs/job-000012.bin"
) &
writer=$!
started=$(wait_now_us)
jobs_wait "$jobs" 4 10 || e2e_fail "the fourth job was not seen"
took=$(($(wait_now_us) - started))
wait "$writer"
writer=
[ "$took" -ge 600000 ] && [ "$took" -lt 3000000 ] ||
    e2e_fail "the wait ended $took us after it began; the job was done after 0.6 s"
e2e_assert_eq "count after the wait" 4 "$(jobs_count "$jobs")"

# The one wait: fractions of a second, and the command's success ends it.
started=$(wait_now_us)
wait_until 0.25 false && e2e_fail "wait_until false succeeded"
took=$(($(wait_now_us) - started))
[ "$took" -ge 250000 ] && [ "$took" -lt 1500000 ] || e2e_fail "wait_until 0.25 took $took us"
wait_until 5 true || e2e_fail "wait_until true failed"
# It polls every tenth of a second, also once the pipe it naps on was closed by someone: a nap
# that fails at once would make it spin.
polls=0
poll() {
    polls=$((polls + 1))
    false
}
for nap in open closed; do
    [ "$nap" = open ] || exec {WAIT_NAP_FD}>&-
    polls=0
    wait_until 0.3 poll && e2e_fail "wait_until poll succeeded"
    [ "$polls" -ge 2 ] && [ "$polls" -le 6 ] ||
        e2e_fail "wait_until 0.3, nap descriptor $nap: $polls polls, not about 4"
done

# The queues' own counts are these (one queue, the rig's folder).
queue=$RIG_QUEUE_VIRTUAL
e2e_assert_eq "queue count" "$(jobs_count "$(e2e_jobs_dir "$queue")")" "$(e2e_job_count "$queue")"
e2e_assert_eq "queue job file" "$(e2e_jobs_dir "$queue")/job-000003.bin" \
    "$(e2e_job_file "$queue" 3)"
