#!/usr/bin/env bash
# With no printers listed: an empty drop-down with no selection, and a forms test that goes to
# the empty printer name, so nothing reaches any printer and nothing is shown.
#
# The printers stay installed: only the user's "devices" list, which the program reads, is
# emptied, and it is put back when the test ends. Pointing the program at a spooler without
# queues instead would make Wine drop the shared prefix's printer keys.
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib/e2e.sh"
source "$here/lib/app.sh"

work=$(mktemp -d "$RIG_DIR/app-no-printers.XXXXXX")
saved=$work/devices.reg
devices_before=$(wine reg query "$APP_DEVICES_KEY" </dev/null 2>/dev/null | tr -d '\r')

restore_devices() {
    wine reg import "$(win_path "$saved")" </dev/null >/dev/null 2>&1 ||
        echo "FAIL [$E2E_NAME]: could not restore $APP_DEVICES_KEY from $saved" >&2
    local now
    now=$(wine reg query "$APP_DEVICES_KEY" </dev/null 2>/dev/null | tr -d '\r')
    if [ "$now" != "$devices_before" ]; then
        echo "FAIL [$E2E_NAME]: $APP_DEVICES_KEY not restored; kept in $saved" >&2
        exit 1
    fi
    rm -rf "$work"
}

[[ "$devices_before" == *"$RIG_QUEUE_VIRTUAL"* ]] ||
    e2e_fail "the rig's printers are not in $APP_DEVICES_KEY: $devices_before"
wine reg export "$APP_DEVICES_KEY" "$(win_path "$saved")" /y </dev/null >/dev/null 2>&1 ||
    e2e_fail "cannot save $APP_DEVICES_KEY"
trap 'e2e_cleanup; restore_devices' EXIT

for queue in $RIG_QUEUES; do
    wine reg delete "$APP_DEVICES_KEY" /v "$queue" /f </dev/null >/dev/null 2>&1 ||
        e2e_fail "cannot remove $queue from $APP_DEVICES_KEY"
done

declare -A before
for queue in $RIG_QUEUES; do
    before[$queue]=$(e2e_job_count "$queue")
done

app_start
drv_expect "printer list" "" list-entries "$APP_CAPTION" "$IDC_MAIN_PRINTER"
drv_expect "selection" $'-1\t' get-selection "$APP_CAPTION" "$IDC_MAIN_PRINTER"
drv_expect "printer text" "" get-text "$APP_CAPTION" "$IDC_MAIN_PRINTER"

drv set-text "$APP_CAPTION" "$IDC_MAIN_FORMS" "3-4"
drv click "$APP_CAPTION" "$IDC_MAIN_PRINT"
expect_no_box "a form test with no printer" 0.5
sleep 2
for queue in $RIG_QUEUES; do
    e2e_expect_no_jobs "$queue" "${before[$queue]}" 0
done
app_exit
