#!/usr/bin/env bash
# Upgrades over CUPS: the file arrives byte for byte, "XPS_PASS" falls back to "RAW", and one
# run serves several printers while one of them fails.
source "$(dirname "$0")/lib/cli_native.sh"

# ---- byte for byte, with the fallback told by --debug ----

# The bytes a printer language cares about, then random data across several write pieces.
printf '\x1b%%-12345X\x00\x0c\xff\r\n' >"$work/upgrade.bin"
cli_random_file "$work/random.bin" $((3 * 1048576 + 7))
cat "$work/random.bin" >>"$work/upgrade.bin"
size=$(stat -c %s "$work/upgrade.bin")

before=$(e2e_job_count "$RIG_QUEUE_RAW_ONLY")
cli_run upgrade "$work/upgrade.bin" --printer "$RIG_QUEUE_RAW_ONLY" --yes --debug
cli_expect "one printer" 0 "$(cli_sent_line "$RIG_QUEUE_RAW_ONLY" "$size")" \
    "$RIG_QUEUE_RAW_ONLY: Printer Error: Failed to open printer using XPS_PASS mode. Trying older RAW mode."
e2e_wait_jobs "$RIG_QUEUE_RAW_ONLY" "$before" 1
e2e_assert_job_file "$(e2e_job_file "$RIG_QUEUE_RAW_ONLY" $((before + 1)))" "$work/upgrade.bin"

# The same as JSON: the datatype CUPS took and the id of the job CUPS holds.
before=$(e2e_job_count "$RIG_QUEUE_RAW_ONLY")
cli_run upgrade "$work/upgrade.bin" --printer "$RIG_QUEUE_RAW_ONLY" --yes --json
job=$(sed -n 's/.*"job":\([0-9]*\).*/\1/p' <<<"$CLI_OUT")
CLI_OUT=$(json_steady "$CLI_OUT")
cli_expect "json" 0 "{\"printer\":\"$RIG_QUEUE_RAW_ONLY\",\"uri\":null,\"stage\":\"Completed\",\"size\":$size,\"written\":$size,\"datatype\":\"RAW\",\"job\":$job,\"state\":null,\"state_reasons\":null,\"message\":null,\"seconds\":S}" ""
e2e_wait_jobs "$RIG_QUEUE_RAW_ONLY" "$before" 1
wait_until 10 cli_job_ended "$RIG_QUEUE_RAW_ONLY" "$job" ||
    e2e_fail "json: CUPS has no job $job on $RIG_QUEUE_RAW_ONLY"
e2e_assert_job_file "$(e2e_job_file "$RIG_QUEUE_RAW_ONLY" $((before + 1)))" "$work/upgrade.bin"

# ---- several printers, one missing ----

before_a=$(e2e_job_count "$RIG_QUEUE_RAW_ONLY")
before_b=$(e2e_job_count "$RIG_QUEUE_VIRTUAL")
cli_run upgrade "$work/random.bin" --printer "$RIG_QUEUE_RAW_ONLY" --printer No_Such_Queue \
    --printer "$RIG_QUEUE_VIRTUAL" --yes
random_size=$(stat -c %s "$work/random.bin")
e2e_assert_eq "several: exit code" 4 "$CLI_RC"
# Sent side by side, they end in either order.
e2e_assert_eq "several: one line per printer that got the file" \
    "$(printf '%s\n' "$(cli_sent_line "$RIG_QUEUE_RAW_ONLY" "$random_size")" \
        "$(cli_sent_line "$RIG_QUEUE_VIRTUAL" "$random_size")" | sort)" \
    "$(grep ': ' <<<"$CLI_OUT" | sort)"
e2e_assert_eq "several: the failure" \
    "No_Such_Queue: Printer Error: The selected printer could not be opened. The file was not sent to the printer." \
    "$CLI_ERR"
e2e_assert_eq "several: the summary's printer, stage and exit columns" "PRINTER STAGE EXIT
$RIG_QUEUE_RAW_ONLY Completed 0
No_Such_Queue OpenFailed 4
$RIG_QUEUE_VIRTUAL Completed 0" "$(grep -v ': ' <<<"$CLI_OUT" | awk '{print $1, $2, $NF}')"
e2e_wait_jobs "$RIG_QUEUE_RAW_ONLY" "$before_a" 1
e2e_wait_jobs "$RIG_QUEUE_VIRTUAL" "$before_b" 1
e2e_assert_job_file "$(e2e_job_file "$RIG_QUEUE_RAW_ONLY" $((before_a + 1)))" "$work/random.bin"
e2e_assert_job_file "$(e2e_job_file "$RIG_QUEUE_VIRTUAL" $((before_b + 1)))" "$work/random.bin"

# ---- a queue that refuses jobs: the document start fails, nothing is sent ----

cli_make_queue Tessaline_Cli_Rejecting "$RIG_QUEUE_LATE"
cupsreject Tessaline_Cli_Rejecting
cli_run upgrade "$work/random.bin" --printer Tessaline_Cli_Rejecting --yes --json
CLI_OUT=$(json_steady "$CLI_OUT")
cli_expect "rejecting queue" 5 \
    '{"printer":"Tessaline_Cli_Rejecting","uri":null,"stage":"StartDocFailed","size":'"$random_size"',"written":0,"datatype":null,"job":null,"state":null,"state_reasons":null,"message":null,"seconds":S}' ""

# ---- an empty file: CUPS refuses the document when it ends, and the job is cancelled ----

: >"$work/empty.bin"
before_b=$(e2e_job_count "$RIG_QUEUE_VIRTUAL")
cli_run upgrade "$work/empty.bin" --printer "$RIG_QUEUE_VIRTUAL" --yes --json
job=$(sed -n 's/.*"job":\([0-9]*\).*/\1/p' <<<"$CLI_OUT")
CLI_OUT=$(json_steady "$CLI_OUT")
cli_expect "empty file" 5 \
    '{"printer":"'"$RIG_QUEUE_VIRTUAL"'","uri":null,"stage":"EndDocFailed","size":0,"written":0,"datatype":"RAW","job":'"$job"',"state":null,"state_reasons":null,"message":null,"seconds":S}' ""
cli_job_ended "$RIG_QUEUE_VIRTUAL" "$job" ||
    e2e_fail "empty file: job $job was left in the queue: $(lpstat -o "$RIG_QUEUE_VIRTUAL")"
e2e_expect_no_jobs "$RIG_QUEUE_VIRTUAL" "$before_b" 1

echo "all checks passed"
