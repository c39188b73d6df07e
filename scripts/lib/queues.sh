# Print queues under Wine that behave like Windows queues. Sourced by the rig and by the
# queue self-tests (tests/e2e/lib/rig_queue.sh). The queues' names are in
# tests/lib/queue_names.sh:
#
# RIG_QUEUE_VIRTUAL   accepts "XPS_PASS" and "RAW" and delivers the bytes unchanged (our
#                     pass-through print processor, as an XPS-capable driver would).
# RIG_QUEUE_RAW_ONLY  refuses "XPS_PASS" at StartDocPrinter with error 1804 and delivers "RAW"
#                     (Wine's WinPrint, refused early by our localspl wrapper).
# RIG_QUEUE_LATE      Wine's own behaviour: "XPS_PASS" fails at EndDocPrinter, nothing arrives.
# Queues are "marked" for early refusal by a printer value the localspl wrapper reads.

# shellcheck source=tests/lib/queue_names.sh
source "$(cd "$(dirname "${BASH_SOURCE[0]}")/../../tests/lib" && pwd)/queue_names.sh"

RIG_PRINTPROC_NAME=TessPassThru # must sort before "winprint": Wine's enumeration stops there
RIG_PRINTPROC_DLL=tess_passthru.dll
RIG_REFUSE_MARK=TessalineRefuseAtStart

_RIG_PRINT_KEY='HKEY_LOCAL_MACHINE\System\CurrentControlSet\Control\Print'

# rig_queue_value KIND QUEUE: the rig's per-queue setting, e.g. `rig_queue_value JOBS NAME`
# prints $RIG_JOBS_NAME; fails loudly when the rig did not export it.
rig_queue_value() {
    local var="RIG_${1}_${2}"
    if [ -z "${!var:-}" ]; then
        echo "queues: $var is not set" >&2
        return 1
    fi
    printf '%s\n' "${!var}"
}

rig_rawjob_exe() {
    printf '%s\n' "$TESSALINE_WIN_BUILD/tools/rawjob/rawjob.exe"
}

# Copies only when the content differs, and by rename: a running Wine process may have the old
# file mapped, and rewriting it in place would crash that process.
_rig_install_file() {
    local from=$1 to=$2
    if cmp -s "$from" "$to"; then
        return 0
    fi
    cp "$from" "$to.new" && mv -f "$to.new" "$to"
}

# The registry settings of the three queues, as one file for `reg import`.
_rig_queue_reg() {
    local printers="$_RIG_PRINT_KEY\\Printers"
    printf 'Windows Registry Editor Version 5.00\r\n\r\n'
    printf '[%s\\Environments\\Windows x64\\Print Processors\\%s]\r\n' "$_RIG_PRINT_KEY" \
        "$RIG_PRINTPROC_NAME"
    printf '"Driver"="%s"\r\n\r\n' "$RIG_PRINTPROC_DLL"
    printf '[%s\\%s]\r\n"Print Processor"="%s"\r\n"%s"=dword:00000001\r\n\r\n' \
        "$printers" "$RIG_QUEUE_VIRTUAL" "$RIG_PRINTPROC_NAME" "$RIG_REFUSE_MARK"
    printf '[%s\\%s]\r\n"Print Processor"="WinPrint"\r\n"%s"=dword:00000001\r\n\r\n' \
        "$printers" "$RIG_QUEUE_RAW_ONLY" "$RIG_REFUSE_MARK"
    printf '[%s\\%s]\r\n"Print Processor"="WinPrint"\r\n"%s"=-\r\n\r\n' \
        "$printers" "$RIG_QUEUE_LATE" "$RIG_REFUSE_MARK"
}

# Waits until Wine lists every queue; starting a spooler client with CUPS_SERVER set is what
# makes Wine add them (and their registry keys).
_rig_wait_wine_queues() {
    local rawjob=$1 listed missing q try
    for try in 1 2 3 4 5; do
        listed=$(wine "$rawjob" --list 2>/dev/null | tr -d '\r')
        missing=
        for q in "${RIG_TEST_QUEUES[@]}"; do
            grep -qxF "$q" <<<"$listed" || missing="$missing $q"
        done
        [ -z "$missing" ] && return 0
        sleep 0.5
    done
    echo "queues: Wine does not list:$missing" >&2
    return 1
}

# Creates the three CUPS queues, makes Wine see them and gives each its behaviour. Call after
# cupsd is up and the prefix is ready, in every run: a Wine process started without CUPS_SERVER
# drops the printers' registry keys, and Wine re-creates them with its own print processor.
# Idempotent.
rig_setup_queues() {
    if [ "${RIG_MODE:-test}" = run ]; then
        rig_setup_run_printer
        return
    fi
    local var
    for var in RIG_DIR WINEPREFIX CUPS_SERVER TESSALINE_WIN_BUILD; do
        if [ -z "${!var:-}" ]; then
            echo "queues: $var is not set" >&2
            return 1
        fi
    done
    local tools=$TESSALINE_WIN_BUILD/tools
    local printproc=$tools/passthru_printproc/$RIG_PRINTPROC_DLL
    local wrapper=$tools/localspl_wrapper/localspl.dll
    local rawjob
    rawjob=$(rig_rawjob_exe)
    local file
    for file in "$printproc" "$wrapper" "$rawjob"; do
        if [ ! -f "$file" ]; then
            echo "queues: $file is missing; build the windows preset first" >&2
            return 1
        fi
    done

    local q port
    for q in "${RIG_TEST_QUEUES[@]}"; do
        port=$(rig_queue_value PORT "$q") || return 1
        lpadmin -p "$q" -E -v "socket://127.0.0.1:$port/?waiteof=false" || return 1
    done

    # The wrapper goes in before any spooler client of this setup starts, so each one of them
    # already runs with it.
    local system32=$WINEPREFIX/drive_c/windows/system32
    mkdir -p "$system32/spool/prtprocs/x64" || return 1
    _rig_install_file "$printproc" "$system32/spool/prtprocs/x64/$RIG_PRINTPROC_DLL" || return 1
    _rig_install_file "$wrapper" "$system32/localspl.dll" || return 1

    _rig_wait_wine_queues "$rawjob" || return 1

    local reg=$RIG_DIR/queues.reg
    _rig_queue_reg >"$reg" || return 1
    wine reg import "Z:${reg//\//\\}" >/dev/null 2>&1 || {
        echo "queues: reg import of $reg failed" >&2
        return 1
    }
    _rig_check_queue_registry
}

# Reads back what the setup wrote, so a silently ignored import is caught here.
_rig_check_queue_registry() {
    local q want_proc want_mark values proc mark
    for q in "${RIG_TEST_QUEUES[@]}"; do
        want_proc=WinPrint want_mark=0x1
        [ "$q" = "$RIG_QUEUE_VIRTUAL" ] && want_proc=$RIG_PRINTPROC_NAME
        [ "$q" = "$RIG_QUEUE_LATE" ] && want_mark=
        values=$(wine reg query "$_RIG_PRINT_KEY\\Printers\\$q" 2>/dev/null | tr -d '\r')
        proc=$(awk '$1 == "Print" && $2 == "Processor" {print $4}' <<<"$values")
        mark=$(awk -v m="$RIG_REFUSE_MARK" '$1 == m {print $3}' <<<"$values")
        if [ "$proc" != "$want_proc" ] || [ "$mark" != "$want_mark" ]; then
            echo "queues: $q has print processor '$proc' and mark '$mark'," \
                "expected '$want_proc' and '$want_mark'" >&2
            return 1
        fi
    done
}

# --- The one printer of scripts/run ---------------------------------------------------------

# The run printer's port: a pipe that hands each job, as the pass-through processor copied it,
# to the run queue (the virtual printer's). Wine runs it with /bin/sh.
_rig_run_port() {
    printf '|CUPS_SERVER=%s lp -s -d %s -o raw' "$RIG_CUPS_SERVER" "$RIG_RUN_QUEUE"
}

# A Wine local printer, as the registry holds one: the port, the printer with our print
# processor, and the "devices" entries the program lists printers from.
_rig_run_printer_reg() {
    local port name=$RIG_RUN_PRINTER_NAME
    port=$(_rig_run_port)
    printf 'Windows Registry Editor Version 5.00\r\n\r\n'
    printf '[%s\\Environments\\Windows x64\\Print Processors\\%s]\r\n' "$_RIG_PRINT_KEY" \
        "$RIG_PRINTPROC_NAME"
    printf '"Driver"="%s"\r\n\r\n' "$RIG_PRINTPROC_DLL"
    printf '[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Ports]\r\n'
    printf '"%s"=""\r\n\r\n' "$port"
    printf '[%s\\Printers\\%s]\r\n' "$_RIG_PRINT_KEY" "$name"
    printf '"Name"="%s"\r\n"Description"="%s"\r\n"Port"="%s"\r\n' "$name" "$name" "$port"
    printf '"Print Processor"="%s"\r\n"Datatype"="RAW"\r\n' "$RIG_PRINTPROC_NAME"
    printf '"Attributes"=dword:00000040\r\n"Priority"=dword:00000001\r\n'
    printf '"Status"=dword:00000000\r\n\r\n'
    printf '[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Devices]\r\n'
    printf '"%s"="winspool,%s"\r\n\r\n' "$name" "$port"
    printf '[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows NT\\CurrentVersion\\PrinterPorts]\r\n'
    printf '"%s"="winspool,%s,15,45"\r\n\r\n' "$name" "$port"
}

# Makes the one printer scripts/run offers and checks that Wine lists it alone. Its jobs land
# in the run queue's capture folder (RIG_JOBS_<RIG_RUN_QUEUE>).
rig_setup_run_printer() {
    local var
    for var in RIG_DIR WINEPREFIX RIG_CUPS_SERVER TESSALINE_WIN_BUILD; do
        if [ -z "${!var:-}" ]; then
            echo "queues: $var is not set" >&2
            return 1
        fi
    done
    local printproc=$TESSALINE_WIN_BUILD/tools/passthru_printproc/$RIG_PRINTPROC_DLL rawjob
    rawjob=$(rig_rawjob_exe)
    for var in "$printproc" "$rawjob"; do
        if [ ! -f "$var" ]; then
            echo "queues: $var is missing; build the windows preset first" >&2
            return 1
        fi
    done
    local system32=$WINEPREFIX/drive_c/windows/system32
    mkdir -p "$system32/spool/prtprocs/x64" || return 1
    _rig_install_file "$printproc" "$system32/spool/prtprocs/x64/$RIG_PRINTPROC_DLL" || return 1
    local reg=$RIG_DIR/run-printer.reg listed
    _rig_run_printer_reg >"$reg" || return 1
    wine reg import "Z:${reg//\//\\}" >/dev/null 2>&1 || {
        echo "queues: reg import of $reg failed" >&2
        return 1
    }
    listed=$(wine "$rawjob" --list 2>/dev/null | tr -d '\r')
    if [ "$listed" != "$RIG_RUN_PRINTER_NAME" ]; then
        echo "queues: Wine lists '${listed//$'\n'/, }' instead of '$RIG_RUN_PRINTER_NAME' alone" >&2
        return 1
    fi
    export RIG_RUN_PRINTER=$RIG_RUN_PRINTER_NAME
}
