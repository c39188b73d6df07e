#!/usr/bin/env bash
# The localspl wrapper is tied to the Wine it was written for: on another version it refuses to
# start the print provider and says why, so no queue silently behaves like plain Wine.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib/rig_queue.sh"
queue=$RIG_QUEUE_RAW_ONLY
rig_require_queues "$queue"
work=$(mktemp -d "$RIG_DIR/queue-pin.XXXXXX")
trap 'rm -rf "$work"' EXIT
printf '\033E' >"$work/job.bin"

# 1722: what Wine's spooler reports when its provider did not start.
TESSALINE_LOCALSPL_WINE_VERSION=9.0 rig_rawjob "$queue" RAW "$work/job.bin"
rig_expect_eq "other Wine" "exit code" 10 "$RAWJOB_RC"
rig_expect_eq "other Wine" "transcript" "OpenPrinterA failed error 1722
exit 10" "$RAWJOB_OUT"
rig_expect_eq "other Wine" "complaint" \
    "localspl wrapper: written for Wine 8.0, running under 9.0; print provider not started" \
    "$(grep '^localspl wrapper:' <<<"$RAWJOB_ERR")"

# The installed wrapper is ours: the real Wine would accept XPS_PASS here at StartDocPrinter.
rig_rawjob "$queue" XPS_PASS "$work/job.bin" --startdoc=W
rig_expect_eq "this Wine" "exit code" 11 "$RAWJOB_RC"
rig_expect_eq "this Wine" "transcript" "OpenPrinterA ok
datatype XPS_PASS
StartDocPrinterW failed error 1804
ClosePrinter ok
exit 11" "$RAWJOB_OUT"
rig_expect_eq "this Wine" "no complaint" "" "$(grep '^localspl wrapper:' <<<"$RAWJOB_ERR")"
rig_test_end
