#!/usr/bin/env bash
# A queue is deleted from the print server after the program has read its printer list. The
# program still offers it and Wine's spooler still opens it, takes the document and fails to hand
# it on when the document ends: the upgrade says so in a "Printer Error" box, a form test says
# nothing, neither hangs, and nothing reaches the printer that queue pointed at.
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib/e2e.sh"
source "$here/lib/app.sh"

# A throwaway queue, set up as queue a is (same capture printer, same print processor), so that
# only its deletion differs. Its jobs would land in queue a's capture folder.
queue=Tessaline_Rel_Deleted_$$
capture_queue=$APP_QUEUE_A
printers_key='HKLM\System\CurrentControlSet\Control\Print\Printers'
nt_key='HKCU\Software\Microsoft\Windows NT\CurrentVersion'
work=$(mktemp -d "$RIG_DIR/rel_faults_deleted_queue.XXXXXX")
box_timeout=120

wine_printers() { e2e_wine "$TESSALINE_WIN_BUILD/tools/rawjob/rawjob.exe" --list; }
wine_lists_queue() { grep -qxF "$queue" <<<"$(wine_printers)"; }

# Wine keeps a printer that the server no longer has while any process that loaded the
# spooler runs (the persistent wineserver may outlive this test's programs), so its entries are
# removed here; otherwise the next tests could find a fourth printer.
forget_queue() {
    lpadmin -x "$queue" 2>/dev/null || true
    e2e_reg_delete_key "$printers_key\\$queue"
    wine reg delete "$nt_key\\Devices" /v "$queue" /f </dev/null >/dev/null 2>&1 || true
    wine reg delete "$nt_key\\PrinterPorts" /v "$queue" /f </dev/null >/dev/null 2>&1 || true
}
restore() {
    e2e_cleanup
    forget_queue
    rm -rf "$work"
}
trap restore EXIT

ok_box() {
    printf 'caption: %s\ntext: %s\nicon: %s\nbuttons: ok\ndefault: ok\ntype: %s' "$@"
}

only_main_window() {
    local windows
    windows=$(app_drv list-windows | grep -c '^  "') || true
    [ "$windows" -eq 1 ] || e2e_fail "$1: expected only the main window, got:
$(app_drv list-windows)"
}

# ---- the queue comes and goes ----

port=$(e2e_queue_var RIG_PORT "$capture_queue")
lpadmin -p "$queue" -E -v "socket://127.0.0.1:$port/?waiteof=false" ||
    e2e_fail "lpadmin could not add $queue"
# A new spooler client is enough for Wine to list a new queue; the wineserver keeps running.
e2e_wait_until 30 wine_lists_queue || e2e_fail "Wine does not list $queue: $(wine_printers)"
e2e_reg_add "$printers_key\\$queue" "Print Processor" REG_SZ TessPassThru
e2e_reg_add "$printers_key\\$queue" TessalineRefuseAtStart REG_DWORD 1

head -c 1048576 /dev/urandom >"$work/upgrade.bin"
app_reset_settings
before=$(e2e_job_count "$capture_queue")
app_start
app_expect "printer list with the throwaway queue" "Tessaline_Late_Refusal
Tessaline_Raw_Only
$queue
Tessaline_Virtual_Printer" list-entries "$APP_CAPTION" "$APP_PRINTER"
app_drv select "$APP_CAPTION" "$APP_PRINTER" --text "$queue"
# Debug Mode shows how far the spooler went before it failed.
app_drv click "$APP_CAPTION" "$APP_DEBUG_MODE"
app_expect "Debug Mode" checked get-check "$APP_CAPTION" "$APP_DEBUG_MODE"

lpadmin -x "$queue" || e2e_fail "lpadmin could not delete $queue"
if lpstat -p "$queue" >/dev/null 2>&1; then
    e2e_fail "the server still has $queue"
fi

# ---- the upgrade: expected boxes in order, each answered with its only button ----

app_drv set-text "$APP_CAPTION" "$APP_PATH" "Z:${work//\//\\}\\upgrade.bin"
app_drv click "$APP_CAPTION" "$APP_UPGRADE"
report=$(app_drv wait-msgbox "$APP_CAPTION" --timeout "$box_timeout")
e2e_assert_eq "first box" "caption: Confirm Upgrade" "$(head -n 1 <<<"$report")"
app_drv answer-msgbox "$APP_CAPTION" yes
boxes=(
    "$(ok_box "Printer Status" "Successfully used XPS_PASS mode." exclamation 0x30)"
    "$(ok_box "Printer Error" "The printer failed when ending the document. The file was not sent completely to the printer." exclamation 0x30)"
)
for i in "${!boxes[@]}"; do
    report=$(app_drv wait-msgbox "$APP_CAPTION" --timeout "$box_timeout")
    e2e_assert_eq "box $((i + 1)) after Yes" "${boxes[i]}" "$report"
    app_drv answer-msgbox "$APP_CAPTION" ok
done
only_main_window "after the upgrade"

# ---- a form test: nothing shown, the handler returns ----

app_drv set-text "$APP_CAPTION" "$APP_FORMS" 25
app_drv click "$APP_CAPTION" "$APP_PRINT" --timeout "$box_timeout"
only_main_window "after Print"

e2e_expect_no_jobs "$capture_queue" "$before" 5
app_exit

forget_queue
e2e_assert_eq "printers Wine lists afterwards" "Tessaline_Late_Refusal
Tessaline_Raw_Only
Tessaline_Virtual_Printer" "$(wine_printers)"
