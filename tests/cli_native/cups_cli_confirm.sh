#!/usr/bin/env bash
# The confirmation before an upgrade: refused without a terminal unless --yes is given, and
# answered y or n through a pseudo-terminal. Progress shows only on a terminal.
source "$(dirname "$0")/lib/cli_native.sh"

confirmation="You have chosen to send the selected file to the Korvane hardware installed on your laser printer.
Be sure the file is an Korvane Flash Upgrade File or unpredictable results may occur.
There is no way to undo this operation.  Are you sure you wish to begin the upgrade?

2 printers:
  $RIG_QUEUE_RAW_ONLY
  $RIG_QUEUE_VIRTUAL
$CLI_PROMPT"

cli_random_file "$work/upgrade.bin" $((2 * 1048576))
size=$(stat -c %s "$work/upgrade.bin")
before_a=$(e2e_job_count "$RIG_QUEUE_RAW_ONLY")
before_b=$(e2e_job_count "$RIG_QUEUE_VIRTUAL")

# ---- no terminal, no --yes: nothing is sent ----

cli_run upgrade "$work/upgrade.bin" --printer "$RIG_QUEUE_RAW_ONLY" --printer "$RIG_QUEUE_VIRTUAL"
cli_expect "no terminal" 2 "" \
    "tessaline-cli: not confirmed: standard input is not a terminal, so nothing was sent; give --yes to confirm without a terminal"

# ---- answers on a terminal ----

# answer | exit code | what follows the answer on the terminal
answers=(
    "n|2|tessaline-cli: not confirmed: nothing was sent"
    "|2|tessaline-cli: not confirmed: nothing was sent"
    "no|2|tessaline-cli: not confirmed: nothing was sent"
    "yess|2|tessaline-cli: not confirmed: nothing was sent"
)
for row in "${answers[@]}"; do
    IFS='|' read -r answer code after <<<"$row"
    cli_pty "$answer" upgrade "$work/upgrade.bin" --printer "$RIG_QUEUE_RAW_ONLY" --printer "$RIG_QUEUE_VIRTUAL"
    e2e_assert_eq "answer '$answer': exit code" "$code" "$CLI_RC"
    e2e_assert_eq "answer '$answer': terminal" "$confirmation$answer
$after" "$CLI_SHOWN"
done
e2e_expect_no_jobs "$RIG_QUEUE_RAW_ONLY" "$before_a" 1
e2e_expect_no_jobs "$RIG_QUEUE_VIRTUAL" "$before_b" 0

for answer in y yes; do
    cli_pty "$answer" upgrade "$work/upgrade.bin" --printer "$RIG_QUEUE_RAW_ONLY" --printer "$RIG_QUEUE_VIRTUAL"
    e2e_assert_eq "answer '$answer': exit code" 0 "$CLI_RC"
    [[ $CLI_SHOWN == "$confirmation$answer"$'\n'* ]] ||
        e2e_fail "answer '$answer': the terminal showed: $CLI_SHOWN"
    # Both go out side by side: the run's line counts them, then each outcome follows.
    for queue in "$RIG_QUEUE_RAW_ONLY" "$RIG_QUEUE_VIRTUAL"; do
        grep -qF "$(cli_sent_line "$queue" "$size")" <<<"$CLI_SHOWN" ||
            e2e_fail "answer '$answer': no outcome for $queue: $CLI_SHOWN"
    done
    grep -qF '0/2 done, 0 failed, 2 in flight' <<<"$CLI_SHOWN" ||
        e2e_fail "answer '$answer': no run line: $CLI_SHOWN"
    ! grep -qF 'sending' <<<"$CLI_SHOWN" ||
        e2e_fail "answer '$answer': a byte count for one of two uploads at once: $CLI_SHOWN"
done
# One printer at a time (one printer, or --parallel 1): the bytes' own line is redrawn in place
# while they go out.
for args in "--printer $RIG_QUEUE_RAW_ONLY" \
    "--printer $RIG_QUEUE_VIRTUAL --printer $RIG_QUEUE_RAW_ONLY --parallel 1"; do
    # shellcheck disable=SC2086
    cli_pty y upgrade "$work/upgrade.bin" $args
    e2e_assert_eq "progress ($args): exit code" 0 "$CLI_RC"
    grep -qF "$RIG_QUEUE_RAW_ONLY: sending 100% (2.0 of 2.0 MiB)"$'\r' <<<"$CLI_SHOWN" ||
        e2e_fail "progress ($args): no progress for $RIG_QUEUE_RAW_ONLY: $CLI_SHOWN"
done
e2e_wait_jobs "$RIG_QUEUE_RAW_ONLY" "$before_a" 4
e2e_wait_jobs "$RIG_QUEUE_VIRTUAL" "$before_b" 3
for n in 1 2; do
    e2e_assert_job_file "$(e2e_job_file "$RIG_QUEUE_RAW_ONLY" $((before_a + n)))" "$work/upgrade.bin"
    e2e_assert_job_file "$(e2e_job_file "$RIG_QUEUE_VIRTUAL" $((before_b + n)))" "$work/upgrade.bin"
done

# ---- no progress on a pipe ----

cli_run upgrade "$work/upgrade.bin" --printer "$RIG_QUEUE_RAW_ONLY" --yes
cli_expect "pipe" 0 "$(cli_sent_line "$RIG_QUEUE_RAW_ONLY" "$size")" ""

echo "all checks passed"
