#!/usr/bin/env bash
# Files that cannot be sent: one another program holds locked, a missing one, and one of 4 GiB
# or more, which is refused before the confirmation. Nothing reaches the printer.
source "$(dirname "$0")/lib/cli_native.sh"

not_opened="The file entered was not found or could not be opened"
too_large="The file is too large to send to the printer. Files must be smaller than 4 GB."
before=$(e2e_job_count "$RIG_QUEUE_RAW_ONLY")

# ---- locked by another process ----

cli_random_file "$work/locked.bin" 4096
exec {lock_fd}<"$work/locked.bin"
flock --exclusive "$lock_fd"
# The lock belongs to this shell's open file; the program is another process.
cli_run upgrade "$work/locked.bin" --printer "$RIG_QUEUE_RAW_ONLY" --yes
cli_expect "locked" 3 "" "tessaline-cli: File Error: $work/locked.bin: $not_opened"
cli_run upgrade "$work/locked.bin" --printer "$RIG_QUEUE_RAW_ONLY" --yes --json
e2e_assert_eq "locked, json: exit code" 3 "$CLI_RC"
e2e_assert_eq "locked, json" \
    '{"printer":"'"$RIG_QUEUE_RAW_ONLY"'","uri":null,"stage":"FileError","size":null,"written":0,"datatype":null,"job":null,"state":null,"state_reasons":null,"message":null,"seconds":null}' \
    "$CLI_OUT"
exec {lock_fd}<&-
cli_run upgrade "$work/locked.bin" --printer "$RIG_QUEUE_RAW_ONLY" --yes
cli_expect "unlocked again" 0 "$(cli_sent_line "$RIG_QUEUE_RAW_ONLY" 4096)" ""
e2e_wait_jobs "$RIG_QUEUE_RAW_ONLY" "$before" 1
e2e_assert_job_file "$(e2e_job_file "$RIG_QUEUE_RAW_ONLY" $((before + 1)))" "$work/locked.bin"
before=$((before + 1))

# ---- missing ----

cli_run upgrade "$work/missing.bin" --printer "$RIG_QUEUE_RAW_ONLY" --yes
cli_expect "missing" 3 "" "tessaline-cli: File Error: $work/missing.bin: $not_opened"

# ---- 4 GiB and more, sparse: refused before asking, so no --yes is needed ----

for size in 4294967296 4294967297; do
    rm -f "$work/large.bin"
    truncate -s "$size" "$work/large.bin"
    cli_run upgrade "$work/large.bin" --printer "$RIG_QUEUE_RAW_ONLY"
    cli_expect "size $size" 3 "" "tessaline-cli: File Error: $work/large.bin: $too_large"
done
rm -f "$work/large.bin"

e2e_expect_no_jobs "$RIG_QUEUE_RAW_ONLY" "$before" 1
echo "all checks passed"
