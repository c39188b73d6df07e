#!/usr/bin/env bash
# The fleet's list and limits: a printers file with blank and comment lines, read from standard
# input with --yes only; a duplicate is a usage error naming both lines; --parallel outside 1 to
# 64 is a usage error; after --max-failures failed printers the rest are not started (exit 9).
source "$(dirname "$0")/lib/cli_ipp.sh"

cli_random_file "$work/upgrade.bin" 4096
cli_make_queue Tessaline_List_A "$RIG_QUEUE_RAW_ONLY"
cli_make_queue Tessaline_List_B "$RIG_QUEUE_RAW_ONLY"

# ---- usage errors: nothing is sent ----

printf 'Tessaline_List_A\n\n# a comment\nTessaline_List_B\n  \nTessaline_List_A\n' >"$work/duplicate.txt"
printf 'Tessaline_List_A\n' >"$work/one.txt"
before=$(e2e_job_count "$RIG_QUEUE_RAW_ONLY")
# CASE|ARGS (split on blanks)|WORDS THE MESSAGE HOLDS (comma-separated)
usage_cases=(
    "duplicate|--printers-file $work/duplicate.txt --yes|Tessaline_List_A,1,6"
    "parallel 0|--printers-file $work/one.txt --parallel 0 --yes|--parallel"
    "parallel 65|--printers-file $work/one.txt --parallel 65 --yes|--parallel"
    "stdin without --yes|--printers-file -|--yes"
)
for entry in "${usage_cases[@]}"; do
    IFS='|' read -r what args words <<<"$entry"
    CLI_RC=0
    # shellcheck disable=SC2086 # the arguments are split on blanks
    "$CLI" upgrade "$work/upgrade.bin" $args <"$work/one.txt" >"$work/stdout" 2>"$work/stderr" ||
        CLI_RC=$?
    e2e_assert_eq "$what: exit code (stderr: $(cat "$work/stderr"))" 1 "$CLI_RC"
    IFS=, read -ra needed <<<"$words"
    for word in "${needed[@]}"; do
        grep -qwF -- "$word" "$work/stderr" || e2e_fail "$what: '$word' not in: $(cat "$work/stderr")"
    done
done
e2e_expect_no_jobs "$RIG_QUEUE_RAW_ONLY" "$before" 0.5

# ---- from standard input, with --yes ----

printf '# two\nTessaline_List_A\n\nTessaline_List_B\n' >"$work/two.txt"
CLI_RC=0
"$CLI" upgrade "$work/upgrade.bin" --printers-file - --yes --json <"$work/two.txt" \
    >"$work/stdout" 2>"$work/stderr" || CLI_RC=$?
e2e_assert_eq "stdin: exit code (stderr: $(cat "$work/stderr"))" 0 "$CLI_RC"
e2e_assert_eq "stdin: the printers" "Tessaline_List_A Completed
Tessaline_List_B Completed" "$(python3 -c 'import json, sys
for o in sorted(map(json.loads, sys.stdin), key=lambda o: o["printer"]):
    print(o["printer"], o["stage"])' <"$work/stdout")"
e2e_wait_jobs "$RIG_QUEUE_RAW_ONLY" "$before" 2
for n in 1 2; do
    cli_assert_same_file "stdin job $n" "$(e2e_job_file "$RIG_QUEUE_RAW_ONLY" $((before + n)))" \
        "$work/upgrade.bin"
done

# ---- --max-failures: after two failed printers no new job starts ----

before=$(e2e_job_count "$RIG_QUEUE_RAW_ONLY")
printf 'No_Such_Queue_1\nNo_Such_Queue_2\nTessaline_List_A\nNo_Such_Queue_3\n' >"$work/failing.txt"
cli_run upgrade "$work/upgrade.bin" --printers-file "$work/failing.txt" --parallel 1 \
    --max-failures 2 --yes --json
e2e_assert_eq "max failures: exit code (stderr: $CLI_ERR)" 9 "$CLI_RC"
e2e_assert_eq "max failures: the stages in the list's order" "No_Such_Queue_1 OpenFailed
No_Such_Queue_2 OpenFailed
Tessaline_List_A NotStarted
No_Such_Queue_3 NotStarted" "$(python3 -c 'import json, sys
order = sys.argv[1].split()
for o in sorted(map(json.loads, sys.stdin), key=lambda o: order.index(o["printer"])):
    print(o["printer"], o["stage"])' "$(cat "$work/failing.txt")" <<<"$CLI_OUT")"
e2e_expect_no_jobs "$RIG_QUEUE_RAW_ONLY" "$before" 0.5

echo "all checks passed"
