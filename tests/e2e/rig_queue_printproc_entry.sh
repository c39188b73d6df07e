#!/usr/bin/env bash
# The pass-through print processor's entry points, called as Wine's spooler calls them.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib/rig_queue.sh"
rig_require_queues
folder=$TESSALINE_WIN_BUILD/tools/passthru_printproc
rc=0
out=$(cd "$folder" && wine ./passthru_printproc_test.exe 2>&1) || rc=$?
out=$(tr -d '\r' <<<"$out")
printf '%s\n' "$out"
rig_expect_eq "entry points" "exit code" 0 "$rc"
rig_expect_eq "entry points" "summary" "PASS: 0 failed check(s)" "$(tail -n 1 <<<"$out")"
rig_test_end
