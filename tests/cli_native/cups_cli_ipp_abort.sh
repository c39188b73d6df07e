#!/usr/bin/env bash
# Printers reached by IPP address that fail: one whose print command fails aborts the job with
# the command's message; one killed in the middle of the upload is not called complete and is
# named by its address; one that drops the connection before it answers the document's end is
# not called complete either.
source "$(dirname "$0")/lib/cli_ipp.sh"

PCL=application/vnd.hp-PCL

# ---- the print command fails: Aborted, with its message ----

cat >"$work/failing_command" <<'SCRIPT'
#!/bin/sh
echo "ERROR: Module checksum mismatch" >&2
exit 3
SCRIPT
chmod 755 "$work/failing_command"
cli_random_file "$work/upgrade.bin" 100000
cli_ipp_printer Ipp_Failing -f "$PCL" -c "$work/failing_command"
uri=$(cli_ipp_uri Ipp_Failing)
cli_run upgrade "$work/upgrade.bin" -p "$uri" --yes --format "$PCL" --wait 30 --json
e2e_assert_eq "failing command: exit code (stderr: $CLI_ERR)" 7 "$CLI_RC"
cli_json_expect "failing command" "$CLI_OUT" "uri=\"$uri\"" 'stage="Completed"' \
    'size=100000' 'written=100000' 'state="Aborted"'
e2e_assert_contains "failing command: the printer's message" "Module checksum mismatch" \
    "$(cli_json_raw "$CLI_OUT" message)"
e2e_assert_eq "failing command: the printer's job" "$(cli_json_get "$CLI_OUT" job) aborted" \
    "$(ipp_jobs "$uri" all)"

# The same as text: the message is told.
cli_run upgrade "$work/upgrade.bin" -p "$uri" --yes --format "$PCL" --wait 30
e2e_assert_eq "failing command, text: exit code" 7 "$CLI_RC"
e2e_assert_contains "failing command, text: the message" "Module checksum mismatch" \
    "$CLI_OUT$CLI_ERR"

# ---- killed in the middle of the upload ----

size=$((256 * 1048576))
cli_random_file "$work/big.bin" "$size"
cli_ipp_printer Ipp_Killed -f "$PCL"
uri=$(cli_ipp_uri Ipp_Killed)
jobs=$(ipp_printer_jobs Ipp_Killed)
upload_started() { [ "$(find "$jobs" -maxdepth 1 -type f -size +1M | wc -l)" -gt 0 ]; }
"$CLI" upgrade "$work/big.bin" -p "$uri" --yes --format "$PCL" --json \
    </dev/null >"$work/killed.out" 2>"$work/killed.err" &
pid=$!
wait_until 30 upload_started || e2e_fail "killed: the upload never began: $(cat "$work/killed.err")"
ipp_printer_kill Ipp_Killed
received=$(find "$jobs" -maxdepth 1 -type f -printf '%s\n' | head -n 1)
[ "$received" -lt "$size" ] ||
    e2e_fail "killed: the whole file had arrived before the kill; the test needs a bigger file"
CLI_RC=0
wait_until 60 e2e_not_running "$pid" || e2e_fail "killed: the program still runs 60 s on"
wait "$pid" || CLI_RC=$?
CLI_OUT=$(cat "$work/killed.out")
CLI_ERR=$(cat "$work/killed.err")
[ "$CLI_RC" -ne 0 ] || e2e_fail "killed: exit 0: $CLI_OUT"
stage=$(cli_json_raw "$CLI_OUT" stage)
[ "$stage" != Completed ] || e2e_fail "killed: called Completed: $CLI_OUT"
# "written" counts only a write the spooler took whole; how far this one got, the message says.
e2e_assert_eq "killed: written" 0 "$(cli_json_get "$CLI_OUT" written)"
sent=$(sed -n 's/.*broke off the transfer after \([0-9]*\) bytes.*/\1/p' <<<"$CLI_OUT")
[ -n "$sent" ] || e2e_fail "killed: the message does not say how far the transfer got: $CLI_OUT"
# The printer cannot have kept more than was sent to it.
[ "$sent" -ge "$received" ] && [ "$sent" -lt "$size" ] ||
    e2e_fail "killed: sent $sent of $size, but the printer had kept $received bytes: $CLI_OUT"
e2e_assert_contains "killed: the message names the address" "localhost:$(ipp_printer_port Ipp_Killed)" \
    "$(cli_json_raw "$CLI_OUT" message) $CLI_ERR"
e2e_note "killed after $received of $size bytes: exit $CLI_RC, stage $stage"

# ---- the document's end never answered: libcups would call it successful ----

port=$(ipp_free_port)
python3 "$E2E_TOOLKIT/ipp_unanswering_printer.py" "$port" "$work/unanswering.log" &
unanswering=$!
trap 'kill "$unanswering" 2>/dev/null; cli_ipp_cleanup' EXIT
uri=ipp://127.0.0.1:$port/ipp/print
wait_until 10 bash -c "exec 3<>/dev/tcp/127.0.0.1/$port" 2>/dev/null ||
    e2e_fail "unanswered: the printer did not start"
cli_random_file "$work/small.bin" 5000
cli_run upgrade "$work/small.bin" -p "$uri" --yes --json
lost="the printer at 127.0.0.1:$port did not answer the end of the document"
e2e_assert_eq "unanswered: exit code (stderr: $CLI_ERR)" 5 "$CLI_RC"
e2e_assert_eq "unanswered: standard error" "$uri: $lost" "$CLI_ERR"
cli_json_expect "unanswered" "$CLI_OUT" 'stage="EndDocFailed"' "message=\"$lost\"" 'job=7'
# Attributes, the job, its whole document; then the cancel, over a new connection.
e2e_assert_eq "unanswered: what the printer was asked" "000b 0
0005 0
0006 5000
000b 0
0008 0" "$(cat "$work/unanswering.log")"

echo "all checks passed"
