#!/usr/bin/env bash
# The pass-through queue takes "XPS_PASS" and "RAW" alike and delivers every byte unchanged,
# control bytes and 20 MB of random data included; a datatype its processor lacks is refused early.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib/rig_queue.sh"
queue=$RIG_QUEUE_VIRTUAL
rig_require_queues "$queue"
jobs=$(rig_queue_value JOBS "$queue")
work=$(mktemp -d "$RIG_DIR/queue-passthru.XXXXXX")
trap 'rm -rf "$work"' EXIT

# Printer reset, a landscape command, NUL, form feed, CR LF, then every byte value once.
{
    printf '\033E\033&l1O\000\014\r\n'
    for i in $(seq 0 255); do printf "\\$(printf %03o "$i")"; done
} >"$work/control.bin"
head -c $((20 * 1024 * 1024)) /dev/urandom >"$work/random.bin"

cases=(
    "control bytes as XPS_PASS|XPS_PASS|control.bin"
    "control bytes as RAW|RAW|control.bin"
    "20 MB random as XPS_PASS|XPS_PASS|random.bin"
    "20 MB random as RAW|RAW|random.bin"
)
for row in "${cases[@]}"; do
    IFS='|' read -r name datatype file <<<"$row"
    size=$(stat -c %s "$work/$file")
    before=$(jobs_count "$jobs")
    rig_rawjob "$queue" "$datatype" "$work/$file"
    rig_expect_eq "$name" "exit code" 0 "$RAWJOB_RC"
    rig_expect_eq "$name" "transcript" "$(rig_completed_transcript "$size" "$datatype")" \
        "$RAWJOB_OUT"
    start=$(date +%s.%N)
    if ! jobs_wait "$jobs" $((before + 1)) 30; then
        rig_fail "$name: no job reached the capture printer within 30 s"
        continue
    fi
    arrived=$(awk -v a="$start" -v b="$(date +%s.%N)" 'BEGIN {printf "%.2f", b - a}')
    echo "$name: program ${RAWJOB_SECONDS}s, arrived ${arrived}s after it ended"
    cmp "$work/$file" "$(jobs_newest "$jobs")" || rig_fail "$name: bytes differ"
    sleep 0.5
    rig_expect_eq "$name" "jobs arrived" $((before + 1)) "$(jobs_count "$jobs")"
done

# As on Windows, a datatype the processor does not list is refused at the document start.
rig_rawjob "$queue" "NT EMF 1.008" "$work/control.bin" --startdoc=W
rig_expect_eq "EMF refused at start" "exit code" 11 "$RAWJOB_RC"
rig_expect_eq "EMF refused at start" "transcript" "OpenPrinterA ok
datatype NT EMF 1.008
StartDocPrinterW failed error 1804
ClosePrinter ok
exit 11" "$RAWJOB_OUT"

rig_test_end
