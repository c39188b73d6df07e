#!/usr/bin/env bash
# The guided demo that scripts/run gives without a display: it ends on its own, shows each job
# that landed in hex, leaves a screenshot of each step, and the printer gets exactly the two
# form jobs of 4-5 and the sample file, byte for byte.
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib/e2e.sh"
source "$here/lib/app.sh"
source "$E2E_ROOT/scripts/lib/demo.sh"

app_work_dir run-demo
app_reset_settings # forms then go out as Letter, Portrait
queue=$RIG_QUEUE_VIRTUAL
before=$(e2e_job_count "$queue")

start=$SECONDS
status=0
output=$(timeout 90 bash -c 'source "$1"; tessaline_demo "$2" "$3" "$4"' _ \
    "$E2E_ROOT/scripts/lib/demo.sh" "$queue" "$(e2e_jobs_dir "$queue")" "$work") || status=$?
e2e_note "demo took $((SECONDS - start)) s:"$'\n'"$output"
e2e_assert_eq "demo exit status" 0 "$status"
drv wait-close "$APP_CAPTION" --timeout 1 # the demo closed the program itself

e2e_wait_jobs "$queue" "$before" 3
sample=$(printf '%s' "$DEMO_SAMPLE" | e2e_hex)
expected=("$(app_form_job_hex 2 0 4)" "$(app_form_job_hex 2 0 5)" "$sample")
shown=$(awk '/^  job-/ {n++; next} /^    / {hex[n] = hex[n] $0} END {for (i = 1; i <= n; i++) print hex[i]}' \
    <<<"$output" | tr -s ' ' | sed 's/^ //; s/ $//')
for i in 0 1 2; do
    e2e_assert_job_hex "$(e2e_job_file "$queue" $((before + i + 1)))" "${expected[i]}"
done
e2e_assert_eq "jobs shown in hex" "$(printf '%s\n' "${expected[@]}")" "$shown"

for shot in demo-1-main demo-2-forms demo-3-confirm demo-3-box-1; do
    [ -s "$work/$shot.png" ] || e2e_fail "no screenshot $shot.png"
done
grep -qx '  box: Printing Complete - Successfully sent entire file to printer.  File size: 29, Bytes written: 29' \
    <<<"$output" || e2e_fail "the demo did not show the Printing Complete box"
