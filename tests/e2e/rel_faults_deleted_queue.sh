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
capture_queue=$RIG_QUEUE_VIRTUAL
printers_key='HKLM\System\CurrentControlSet\Control\Print\Printers'
nt_key='HKCU\Software\Microsoft\Windows NT\CurrentVersion'
work=$(mktemp -d "$RIG_DIR/rel_faults_deleted_queue.XXXXXX")
APP_BOX_TIMEOUT=120

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

# ---- the queue comes and goes ----

port=$(e2e_queue_var RIG_PORT "$capture_queue")
lpadmin -p "$queue" -E -v "socket://127.0.0.1:$port/?waiteof=false" ||
    e2e_fail "lpadmin could not add $queue"
# A new spooler client is enough for Wine to list a new queue; the wineserver keeps running.
wait_until 30 wine_lists_queue || e2e_fail "Wine does not list $queue: $(wine_printers)"
e2e_reg_add "$printers_key\\$queue" "Print Processor" REG_SZ TessPassThru
e2e_reg_add "$printers_key\\$queue" TessalineRefuseAtStart REG_DWORD 1

head -c 1048576 /dev/urandom >"$work/upgrade.bin"
app_reset_settings
before=$(e2e_job_count "$capture_queue")
app_start
drv_expect "printer list with the throwaway queue" "$RIG_QUEUE_LATE
$RIG_QUEUE_RAW_ONLY
$queue
$RIG_QUEUE_VIRTUAL" list-entries "$APP_CAPTION" "$IDC_MAIN_PRINTER"
select_printer "$queue"
# Debug Mode shows how far the spooler went before it failed.
drv click "$APP_CAPTION" "$IDC_MAIN_DEBUG_MODE"
drv_expect "Debug Mode" checked get-check "$APP_CAPTION" "$IDC_MAIN_DEBUG_MODE"

lpadmin -x "$queue" || e2e_fail "lpadmin could not delete $queue"
if lpstat -p "$queue" >/dev/null 2>&1; then
    e2e_fail "the server still has $queue"
fi

# ---- the upgrade: expected boxes in order, each answered with its only button ----

upgrade_file "throwaway queue" "$work/upgrade.bin" \
    "Printer Status~$XPS_ACCEPTED_TEXT~0x30;Printer Error~$END_DOC_FAILED_TEXT~0x30"
only_main_window "after the upgrade"

# ---- a form test: nothing shown, the handler returns ----

print_form_quietly "form test" 25

e2e_expect_no_jobs "$capture_queue" "$before" 5
app_exit

forget_queue
e2e_assert_eq "printers Wine lists afterwards" "$RIG_PRINTER_LIST" "$(wine_printers)"
