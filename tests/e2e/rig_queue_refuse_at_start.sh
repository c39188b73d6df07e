#!/usr/bin/env bash
# The raw-only queue refuses "XPS_PASS" when the document starts, with error 1804 as a Windows
# spooler gives it, spools nothing for it, and prints "RAW" unchanged, also as the fallback on
# the same printer handle.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib/rig_queue.sh"
queue=$RIG_QUEUE_RAW_ONLY
rig_require_queues "$queue"
jobs=$(rig_queue_value JOBS "$queue")
work=$(mktemp -d "$RIG_DIR/queue-refuse.XXXXXX")
trap 'rm -rf "$work"' EXIT

printf 'refused\033E\000\014' >"$work/refused.bin"
printf '\033E\033&l0O\000raw\014' >"$work/raw.bin"
printf '\033E\000fallback\014\033E' >"$work/fallback.bin"
before=$(jobs_count "$jobs")

# Wine's StartDocPrinterA replaces the spooler's error with 87; the W entry keeps 1804.
rig_rawjob "$queue" XPS_PASS "$work/refused.bin"
rig_expect_eq "XPS_PASS through A" "exit code" 11 "$RAWJOB_RC"
rig_expect_eq "XPS_PASS through A" "transcript" "OpenPrinterA ok
datatype XPS_PASS
StartDocPrinterA failed error 87
ClosePrinter ok
exit 11" "$RAWJOB_OUT"

rig_rawjob "$queue" XPS_PASS "$work/refused.bin" --startdoc=W
rig_expect_eq "XPS_PASS through W" "exit code" 11 "$RAWJOB_RC"
rig_expect_eq "XPS_PASS through W" "transcript" "OpenPrinterA ok
datatype XPS_PASS
StartDocPrinterW failed error 1804
ClosePrinter ok
exit 11" "$RAWJOB_OUT"

# Jobs leave a queue in order, so once the later jobs are in, a leaked refused one would be too.
rig_rawjob "$queue" RAW "$work/raw.bin"
rig_expect_eq "RAW" "exit code" 0 "$RAWJOB_RC"
rig_expect_eq "RAW" "transcript" \
    "$(rig_completed_transcript "$(stat -c %s "$work/raw.bin")" RAW)" "$RAWJOB_OUT"
jobs_wait "$jobs" $((before + 1)) 15 || rig_fail "RAW: no job within 15 s"
cmp "$work/raw.bin" "$(jobs_newest "$jobs")" || rig_fail "RAW: bytes differ"

rig_rawjob "$queue" XPS_PASS,RAW "$work/fallback.bin"
rig_expect_eq "fallback to RAW" "exit code" 0 "$RAWJOB_RC"
rig_expect_eq "fallback to RAW" "transcript" \
    "$(rig_completed_transcript "$(stat -c %s "$work/fallback.bin")" XPS_PASS:87 RAW)" "$RAWJOB_OUT"
jobs_wait "$jobs" $((before + 2)) 15 || rig_fail "fallback to RAW: no job within 15 s"
cmp "$work/fallback.bin" "$(jobs_newest "$jobs")" || rig_fail "fallback to RAW: bytes differ"

sleep 0.5
rig_expect_eq "refused jobs" "jobs arrived" $((before + 2)) "$(jobs_count "$jobs")"
rig_test_end
