#!/bin/sh
# The job command of the printers of tests/lib/ipp_firmware.sh: ippeveprinter runs it with the
# document's path, and with IPP_JOB_ID and its supervisor's TESSALINE_RIG_SUPERVISOR and
# TESSALINE_RIG_PRINTER_DIR in its environment. A document whose first line is
# "[%!]TESSALINE-TEST-VERSION VERSION [COMPONENT]" is noted in the printer's "received" file, and
# the supervisor is woken until it says it took the line (a signal sent while it was busy would
# be lost). Any other document is only printed, that is kept.
set -f
dir=$TESSALINE_RIG_PRINTER_DIR
# shellcheck disable=SC2046 # the words of the first line, no more than 200 bytes of it
set -- $(head -c 200 -- "$1" | head -n 1 | tr -d '\r')
[ "${1#%!}" = TESSALINE-TEST-VERSION ] && [ -n "${2:-}" ] || exit 0
echo "$IPP_JOB_ID $2 ${3:-Module}" >>"$dir/received"
line=$(wc -l <"$dir/received")
tries=0
# How many lines the supervisor took (0 before it wrote any), read without a process.
read_handled() {
    handled=0
    read -r handled 2>/dev/null <"$dir/handled" || true
    handled=${handled:-0}
}
read_handled
while [ "$handled" -lt "$line" ] && [ "$tries" -lt 50 ]; do
    kill -USR1 "$TESSALINE_RIG_SUPERVISOR" 2>/dev/null || exit 0
    sleep 0.1
    tries=$((tries + 1))
    read_handled
done
