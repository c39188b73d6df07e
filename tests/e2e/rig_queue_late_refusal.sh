#!/usr/bin/env bash
# The queue left with Wine's own print processor takes "XPS_PASS" until the document ends and
# then fails it; nothing reaches the printer. A later "RAW" job shows the queue itself works.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib/rig_queue.sh"
queue=$RIG_QUEUE_LATE
rig_require_queues "$queue"
jobs=$(rig_queue_value JOBS "$queue")
work=$(mktemp -d "$RIG_DIR/queue-late.XXXXXX")
trap 'rm -rf "$work"' EXIT

printf 'late\033E\000\014' >"$work/late.bin"
printf '\033Econtrol\000\014' >"$work/control.bin"
before=$(jobs_count "$jobs")

# 122 is what Wine 8 leaves behind from its datatype check; pinned like the rest of the rig.
rig_rawjob "$queue" XPS_PASS "$work/late.bin"
rig_expect_eq "XPS_PASS" "exit code" 15 "$RAWJOB_RC"
rig_expect_eq "XPS_PASS" "transcript" "OpenPrinterA ok
datatype XPS_PASS
StartDocPrinterA ok
StartPagePrinter ok
WritePrinter ok
written 8 of 8
EndPagePrinter ok
EndDocPrinter failed error 122
ClosePrinter ok
exit 15" "$RAWJOB_OUT"

rig_rawjob "$queue" RAW "$work/control.bin"
rig_expect_eq "RAW after it" "exit code" 0 "$RAWJOB_RC"
jobs_wait "$jobs" $((before + 1)) 15 || rig_fail "RAW after it: no job within 15 s"
cmp "$work/control.bin" "$(jobs_newest "$jobs")" || rig_fail "RAW after it: bytes differ"
sleep 0.5
rig_expect_eq "XPS_PASS" "jobs arrived (the RAW one only)" $((before + 1)) \
    "$(jobs_count "$jobs")"
rig_test_end
