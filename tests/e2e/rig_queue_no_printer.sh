#!/usr/bin/env bash
# A printer that cannot be opened ends the job at once: nothing after OpenPrinterA is called.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib/rig_queue.sh"
rig_require_queues
work=$(mktemp -d "$RIG_DIR/queue-none.XXXXXX")
trap 'rm -rf "$work"' EXIT
printf '\033E' >"$work/job.bin"

cases=(
    "empty name||87"
    "unknown queue|Tessaline_No_Such_Queue|1801"
)
for row in "${cases[@]}"; do
    IFS='|' read -r name printer error <<<"$row"
    rig_rawjob "$printer" "XPS_PASS,RAW" "$work/job.bin"
    rig_expect_eq "$name" "exit code" 10 "$RAWJOB_RC"
    rig_expect_eq "$name" "transcript" "OpenPrinterA failed error $error
exit 10" "$RAWJOB_OUT"
done
rig_test_end
