# Every queue delivers raw jobs byte for byte, each to its own capture printer only.
source "$(dirname "$0")/lib/e2e.sh"

work=$(mktemp -d "$RIG_DIR/rig_services_capture.XXXXXX")
printf '\033E\000\014\033&l1O\r\n\000\000\377' >"$work/escapes"
for ((i = 0; i < 256; i++)); do printf "\\$(printf '%03o' "$i")"; done >"$work/all_bytes"
head -c 3000000 /dev/urandom >"$work/random_3mb"
payloads=(escapes all_bytes random_3mb)

declare -A before
for queue in $RIG_QUEUES; do
    before[$queue]=$(e2e_job_count "$queue")
done

for queue in $RIG_QUEUES; do
    for payload in "${payloads[@]}"; do
        lp -d "$queue" -o raw -t "$payload" "$work/$payload" >/dev/null ||
            e2e_fail "lp to $queue refused $payload"
    done
    e2e_wait_jobs "$queue" "${before[$queue]}" "${#payloads[@]}" 60
    # A queue sends its jobs in the order they were submitted.
    n=${before[$queue]}
    for payload in "${payloads[@]}"; do
        n=$((n + 1))
        e2e_note "$queue job $n: $payload"
        e2e_assert_job_file "$(e2e_job_file "$queue" "$n")" "$work/$payload"
        size=$(stat -c %s "$work/$payload")
        e2e_job_log_line "$queue" "$n" | grep -Eq "connect=[0-9.]+ close=[0-9.]+ bytes=$size early=no$" ||
            e2e_fail "log line of $queue job $n: $(e2e_job_log_line "$queue" "$n")"
    done
    before[$queue]=$n
    for other in $RIG_QUEUES; do
        e2e_assert_eq "jobs in $other after sending to $queue" "${before[$other]}" \
            "$(e2e_job_count "$other")"
    done
done
rm -rf "$work"
