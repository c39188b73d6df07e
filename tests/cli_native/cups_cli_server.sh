#!/usr/bin/env bash
# Which scheduler the program talks to: CUPS_SERVER, the user's client.conf, or --server naming
# the rig's cupsd by address; the printer list in text and JSON.
source "$(dirname "$0")/lib/cli_native.sh"

queues=$(tr ' ' '\n' <<<"$RIG_QUEUES" | sort)
# Each queue with its device, as lpstat -v tells it; the rig's queues are idle.
queues_json="[$(while read -r queue; do
    uri=$(lpstat -v "$queue" | sed -n "s|^device for $queue: ||p")
    case $uri in ipp://* | ipps://*) address_json="\"$uri\"" ;; *) address_json=null ;; esac
    printf '{"name":"%s","device_uri":"%s","ipp_address":%s,"state":"idle","state_reasons":[]}\n' \
        "$queue" "$uri" "$address_json"
done <<<"$queues" | paste -sd,)]"
address=127.0.0.1:$RIG_CUPS_PORT
nowhere=$work/no-scheduler.sock

# ---- CUPS_SERVER (the rig's socket) ----

cli_run printers
cli_expect "CUPS_SERVER" 0 "$queues" ""
cli_run printers --json
cli_expect "CUPS_SERVER, json" 0 "$queues_json" ""

# ---- --server wins over CUPS_SERVER ----

CUPS_SERVER=$nowhere cli_run printers
cli_expect "a CUPS_SERVER with no scheduler is named, not taken for no printers" 4 "" \
    "tessaline-cli: the print server at $nowhere could not be reached; is its scheduler running?"
CUPS_SERVER=$nowhere cli_run printers --server "$address"
cli_expect "--server by address" 0 "$queues" ""

cli_random_file "$work/upgrade.bin" 100000
before=$(e2e_job_count "$RIG_QUEUE_RAW_ONLY")
CUPS_SERVER=$nowhere cli_run upgrade "$work/upgrade.bin" --printer "$RIG_QUEUE_RAW_ONLY" --yes \
    --server "$address"
cli_expect "upgrade through --server" 0 "$(cli_sent_line "$RIG_QUEUE_RAW_ONLY" 100000)" ""
e2e_wait_jobs "$RIG_QUEUE_RAW_ONLY" "$before" 1
e2e_assert_job_file "$(e2e_job_file "$RIG_QUEUE_RAW_ONLY" $((before + 1)))" "$work/upgrade.bin"

CUPS_SERVER=$nowhere cli_run upgrade "$work/upgrade.bin" --printer "$RIG_QUEUE_RAW_ONLY" --yes
e2e_assert_eq "no scheduler: exit code" 4 "$CLI_RC"

cli_run printers --server "127.0.0.1:"
e2e_assert_eq "--server without a port: exit code" 1 "$CLI_RC"
grep -qF "the port is missing after ':'" <<<"$CLI_ERR" ||
    e2e_fail "--server without a port: no reason given: $CLI_ERR"

# ---- the user's client.conf, with CUPS_SERVER unset ----

mkdir -p "$work/home/.cups"
echo "ServerName $address" >"$work/home/.cups/client.conf"
(
    unset CUPS_SERVER
    HOME=$work/home cli_run printers
    cli_expect "client.conf" 0 "$queues" ""
)

echo "all checks passed"
