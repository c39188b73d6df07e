# The end-to-end rig: a private X display, a private CUPS with capture printers behind its
# queues, and one Wine prefix with a persistent wineserver. Sourced by scripts/test,
# scripts/run and scripts/rig; `rig_start` brings it up, `rig_stop` takes down exactly the
# processes `rig_start` started. Nothing here touches the user's CUPS, X display or ~/.wine.
#
# Exported by rig_start, for scripts/lib/queues.sh (`rig_setup_queues`) and the tests:
#   RIG_DIR              the rig's folder (default build/rig); wiped at every start
#   WINEPREFIX           $RIG_DIR/wineprefix, made once per start and shared by every test
#   WINEARCH             win64
#   WINEDEBUG            -all
#   CUPS_SERVER          the private cupsd's unix socket; every Wine process needs it
#   DISPLAY              the private Xvfb display (or RIG_EXTERNAL_DISPLAY, see below)
#   TESSALINE_WIN_BUILD  the windows build folder (build/windows), where tools/*/ land
#   RIG_QUEUES           the CUPS queue names, space-separated
#   RIG_JOBS_<queue>     the folder where that queue's capture printer stores job-NNNNNN.bin
#   RIG_PORT_<queue>     that capture printer's TCP port on 127.0.0.1
# Also exported, for the tests' helpers:
#   RIG_CUPS_PORT        the private cupsd's loopback port
#   DBUS_SYSTEM_BUS_ADDRESS  the rig's own system bus, which ippeveprinter needs to start
#   RIG_PAM_SERVICE      the PAM service of the rig's sign-in printers (empty when not root):
#                        it checks names and passwords against $RIG_DIR/ipp/passwords
#   RIG_IPP_DIR          where the printers of tests/lib/ipp_printers.sh keep their folders
#   RIG_CAPTURE_DIR      holds <queue>/mode (accept | refuse | close-after N, re-read by the
#                        capture printer) and <queue>/log (one line per job and mode change)
#
# Read by rig_start when set:
#   RIG_DIR, TESSALINE_WIN_BUILD, TESSALINE_NATIVE_BUILD (where the capture printer was built)
#   RIG_PORT_RANGE        LOW-HIGH, the ports the rig may take (default 20000-29999)
#   RIG_EXTERNAL_DISPLAY  use this X display instead of starting Xvfb (scripts/run)
#   RIG_MODE              test (default) or run, see RIG_QUEUE_NAMES
#   RIG_WINE              no: no Xvfb and no Wine, for the native command line's tests alone
# In run mode, also exported: RIG_CUPS_SERVER, the private cupsd's socket (CUPS_SERVER then
# points Wine at no server), and RIG_RUN_PRINTER, the one printer's Windows name.

RIG_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
# shellcheck source=scripts/lib/queues.sh
source "$RIG_ROOT/scripts/lib/queues.sh"
# shellcheck source=tests/lib/ipp_printers.sh
source "$RIG_ROOT/tests/lib/ipp_printers.sh"
RIG_QUEUE_NAMES=("${RIG_TEST_QUEUES[@]}")

# PIDs of what this shell started, stopped in reverse order.
RIG_PIDS=()

rig_log() { echo "rig: $*" >&2; }

# Waits up to $1 tenths of a second for the command that follows to succeed.
rig_wait_for() {
    local tenths=$1
    shift
    while ! "$@" >/dev/null 2>&1; do
        tenths=$((tenths - 1))
        [ "$tenths" -gt 0 ] || return 1
        sleep 0.1
    done
}

rig_port_in_use() {
    (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null
}

# Prints a port from RIG_PORT_RANGE that nothing listens on and that this rig has not handed
# out yet.
rig_free_port() {
    local range=${RIG_PORT_RANGE:-20000-29999}
    local low=${range%-*} high=${range#*-} try port
    for try in $(seq 1 200); do
        port=$((low + RANDOM % (high - low + 1)))
        case " ${RIG_TAKEN_PORTS:-} " in *" $port "*) continue ;; esac
        if ! rig_port_in_use "$port"; then
            RIG_TAKEN_PORTS="${RIG_TAKEN_PORTS:-} $port"
            echo "$port"
            return 0
        fi
    done
    rig_log "no free port in $range"
    return 1
}

rig_start_xvfb() {
    if [ -n "${RIG_EXTERNAL_DISPLAY:-}" ]; then
        export DISPLAY=$RIG_EXTERNAL_DISPLAY
        return 0
    fi
    local number_file=$RIG_DIR/xvfb.display
    : >"$number_file"
    Xvfb -displayfd 3 -nolisten tcp -screen 0 1280x1024x24 -noreset \
        3>"$number_file" </dev/null >"$RIG_DIR/logs/xvfb.log" 2>&1 &
    RIG_PIDS+=($!)
    echo $! >"$RIG_DIR/pids/xvfb"
    if ! rig_wait_for 100 test -s "$number_file"; then
        rig_log "Xvfb did not start; see $RIG_DIR/logs/xvfb.log"
        return 1
    fi
    export DISPLAY=":$(tr -d '[:space:]' <"$number_file")"
    # A desktop session loads an X resource database. Without one, Xlib reads ~/.Xdefaults and
    # ~/.Xdefaults-<host> afresh on every look-up: some 1500 failed opens per start of the window,
    # and more with each message box.
    xprop -root -f RESOURCE_MANAGER 8s -set RESOURCE_MANAGER $'Tessaline.rig:\ttrue\n' || {
        rig_log "could not set the X resource database on $DISPLAY"
        return 1
    }
}

# cupsd runs filters and backends as group lp, so its spool must be reachable by lp. A build
# folder under a private home is not; the CUPS tree then lives in /tmp, linked from the rig.
rig_cups_home() {
    local wanted=$RIG_DIR/cups
    if runuser -u lp -- test -x "$RIG_DIR" 2>/dev/null; then
        mkdir -p "$wanted"
        echo "$wanted"
        return 0
    fi
    local private
    private=$(mktemp -d /tmp/tessaline-rig-cups.XXXXXX)
    chmod 755 "$private"
    ln -sfn "$private" "$wanted"
    echo "$private"
}

rig_start_cupsd() {
    local home
    home=$(rig_cups_home) || return 1
    mkdir -p "$home"/{etc/ppd,spool/tmp,cache,state/certs,log}
    chgrp lp "$home/spool" "$home/spool/tmp" "$home/cache" "$home/state"
    chmod 0710 "$home/spool"
    chmod 1770 "$home/spool/tmp"
    chmod 0770 "$home/cache" "$home/state"
    RIG_CUPS_PORT=$(rig_free_port) || return 1
    cat >"$home/cups-files.conf" <<EOF
ServerRoot $home/etc
RequestRoot $home/spool
TempDir $home/spool/tmp
CacheDir $home/cache
StateDir $home/state
AccessLog $home/log/access_log
ErrorLog $home/log/error_log
PageLog $home/log/page_log
User lp
Group lp
SystemGroup root
FileDevice No
EOF
    # Microseconds in the logs: the fleet tests count the jobs in flight from them.
    # Job history is kept, as CUPS keeps it by default: without it a finished job is forgotten at
    # once, and whether it completed or was aborted can no longer be asked.
    cat >"$home/cupsd.conf" <<EOF
LogLevel info
LogTimeFormat usecs
Listen $home/cups.sock
Listen 127.0.0.1:$RIG_CUPS_PORT
Browsing No
BrowseLocalProtocols none
WebInterface No
DefaultAuthType None
ErrorPolicy abort-job
PreserveJobHistory Yes
PreserveJobFiles No
MaxJobs 0
<Location />
  Order allow,deny
  Allow from 127.0.0.1
  Allow from @LOCAL
</Location>
<Policy default>
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
EOF
    : >"$home/etc/printers.conf"
    cupsd -f -c "$home/cupsd.conf" -s "$home/cups-files.conf" \
        </dev/null >"$RIG_DIR/logs/cupsd.log" 2>&1 &
    RIG_PIDS+=($!)
    echo $! >"$RIG_DIR/pids/cupsd"
    export CUPS_SERVER=$home/cups.sock RIG_CUPS_PORT
    # lpstat -r exits 0 whether or not the scheduler answers; its words tell.
    if ! rig_wait_for 100 rig_cupsd_running; then
        rig_log "cupsd did not start; see $home/log/error_log and $RIG_DIR/logs/cupsd.log"
        return 1
    fi
}

rig_cupsd_running() { lpstat -r 2>/dev/null | grep -qx 'scheduler is running'; }

rig_capture_printer_bin() {
    local native=${TESSALINE_NATIVE_BUILD:-$RIG_ROOT/build/native}
    echo "$native/tools/capture_printer/capture_printer"
}

# One capture printer and one raw CUPS queue per name; the socket backend delivers each job
# over its own connection.
rig_start_queue() {
    local name=$1 bin jobs control port attempt
    bin=$(rig_capture_printer_bin)
    if [ ! -x "$bin" ]; then
        rig_log "capture printer not built: $bin"
        return 1
    fi
    jobs=$RIG_DIR/jobs/$name
    control=$RIG_CAPTURE_DIR/$name
    mkdir -p "$jobs" "$control"
    for attempt in 1 2 3 4 5; do
        port=$(rig_free_port) || return 1
        rm -f "$control/port"
        "$bin" --port "$port" --jobs "$jobs" --port-file "$control/port" \
            --log "$control/log" --mode-file "$control/mode" \
            </dev/null >>"$RIG_DIR/logs/capture-$name.log" 2>&1 &
        local pid=$!
        if rig_wait_for 50 test -s "$control/port"; then
            RIG_PIDS+=($pid)
            echo "$pid" >"$RIG_DIR/pids/capture-$name"
            break
        fi
        # Lost a race for the port: try another one.
        kill "$pid" 2>/dev/null
        wait "$pid" 2>/dev/null
        port=
    done
    if [ -z "$port" ]; then
        rig_log "capture printer for $name did not start; see $RIG_DIR/logs/capture-$name.log"
        return 1
    fi
    lpadmin -p "$name" -E -v "socket://127.0.0.1:$port/?waiteof=false" \
        -o printer-error-policy=abort-job || return 1
    export "RIG_JOBS_$name=$jobs" "RIG_PORT_$name=$port"
}

rig_start_wine() {
    export WINEPREFIX=$RIG_DIR/wineprefix WINEARCH=win64 WINEDEBUG=-all
    # Without these overrides wineboot offers to install Mono and Gecko, and Wine writes menu
    # entries into the user's home.
    WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d" wineboot -i \
        </dev/null >"$RIG_DIR/logs/wineboot.log" 2>&1 || {
        rig_log "wineboot failed; see $RIG_DIR/logs/wineboot.log"
        return 1
    }
    wineserver -w
    # The templates' "MS Sans Serif" is Wine's bitmap font in sserife.fon (sseriff.fon above 96
    # DPI); the ms_sans_serif.ttf beside it holds bitmaps only and Wine skips it. Without the .fon
    # files Wine falls back to DejaVu Sans, which is wider, and labels lose their last line.
    cp /usr/share/wine/fonts/*.ttf /usr/share/wine/fonts/*.fon "$WINEPREFIX/drive_c/windows/Fonts/"
    # One server for the whole run: programs start in tens of milliseconds instead of 0.4 s.
    wineserver -f -p </dev/null >"$RIG_DIR/logs/wineserver.log" 2>&1 &
    RIG_PIDS+=($!)
    echo $! >"$RIG_DIR/pids/wineserver"
    export WINEDLLOVERRIDES="winemenubuilder.exe=d"
    # Xvfb has no window manager: unmanaged windows close without a 2 s stall. A real display
    # (scripts/run) has one, so windows stay managed there.
    [ -n "${RIG_EXTERNAL_DISPLAY:-}" ] && return 0
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f \
        </dev/null >>"$RIG_DIR/logs/wineboot.log" 2>&1
}

# A system bus of the rig's own: ippeveprinter will not start without one, and the machine's
# may be absent or shared. Anyone may own names and call methods on it; only the rig uses it.
rig_start_dbus() {
    local dir=$RIG_DIR/dbus
    mkdir -p "$dir"
    cat >"$dir/system.conf" <<EOF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>system</type>
  <listen>unix:path=$dir/system_bus_socket</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow user="*"/>
    <allow own="*"/>
    <allow send_type="method_call"/>
    <allow send_type="signal"/>
    <allow send_requested_reply="true" send_type="method_return"/>
    <allow send_requested_reply="true" send_type="error"/>
    <allow receive_type="method_call"/>
    <allow receive_type="method_return"/>
    <allow receive_type="error"/>
    <allow receive_type="signal"/>
  </policy>
</busconfig>
EOF
    dbus-daemon --config-file="$dir/system.conf" --nofork --nosyslog \
        </dev/null >"$RIG_DIR/logs/dbus.log" 2>&1 &
    RIG_PIDS+=($!)
    echo $! >"$RIG_DIR/pids/dbus"
    export DBUS_SYSTEM_BUS_ADDRESS=unix:path=$dir/system_bus_socket
    if ! rig_wait_for 50 test -S "$dir/system_bus_socket"; then
        rig_log "dbus-daemon did not start; see $RIG_DIR/logs/dbus.log"
        return 1
    fi
}

# The PAM service of the sign-in printers, named after the rig's folder so that a later start
# finds and removes the one a killed rig left behind. /etc/pam.d is the machine's: the file is
# there only while the rig is up, and rig_stop removes it on every way out.
rig_pam_service_name() { echo "tessaline-rig-$(printf %s "$RIG_DIR" | md5sum | cut -c1-12)"; }

rig_start_pam() {
    RIG_PAM_SERVICE=
    export RIG_PAM_SERVICE
    if [ "$(id -u)" -ne 0 ] || [ ! -d /etc/pam.d ]; then
        rig_log "not root: no PAM service, so no printer with sign-in"
        return 0
    fi
    local dir=$RIG_DIR/ipp service
    service=$(rig_pam_service_name)
    mkdir -p "$dir"
    : >"$dir/passwords"
    chmod 600 "$dir/passwords"
    # pam_exec hands over the password on standard input, without a newline. Each attempt's
    # name and outcome is logged, never the password.
    cat >"$dir/pam_check" <<EOF
#!/bin/sh
IFS= read -r password || true
if grep -qxF -- "\$PAM_USER:\$password" "$dir/passwords"; then
    echo "\$PAM_USER ok" >>"$dir/pam.log"
    exit 0
fi
echo "\$PAM_USER refused" >>"$dir/pam.log"
exit 1
EOF
    chmod 700 "$dir/pam_check"
    echo "$service" >"$RIG_DIR/pam-service"
    printf 'auth required pam_exec.so quiet expose_authtok %s\naccount required pam_permit.so\n' \
        "$dir/pam_check" >"/etc/pam.d/$service"
    RIG_PAM_SERVICE=$service
}

# Removes the PAM service this rig folder wrote, if any.
rig_stop_pam() {
    [ -n "${RIG_DIR:-}" ] && [ -f "$RIG_DIR/pam-service" ] || return 0
    local service
    service=$(cat "$RIG_DIR/pam-service")
    case "$service" in tessaline-rig-*) rm -f "/etc/pam.d/$service" ;; esac
    rm -f "$RIG_DIR/pam-service"
}

rig_start() {
    export RIG_DIR=${RIG_DIR:-$RIG_ROOT/build/rig}
    export TESSALINE_WIN_BUILD=${TESSALINE_WIN_BUILD:-$RIG_ROOT/build/windows}
    export RIG_CAPTURE_DIR=$RIG_DIR/capture
    RIG_PIDS=()
    RIG_TAKEN_PORTS=
    rig_stop_leftovers
    if [ -L "$RIG_DIR/cups" ]; then
        rm -rf "$(readlink "$RIG_DIR/cups")"
    fi
    rm -rf "$RIG_DIR"
    mkdir -p "$RIG_DIR"/{logs,pids,jobs,screenshots} "$RIG_CAPTURE_DIR"
    chmod 755 "$RIG_DIR"
    local started=$SECONDS name
    # RIG_MODE=test (the default) gives the tests their three queues. RIG_MODE=run (scripts/run)
    # gives one printer a newcomer can use: the virtual printer under a name with spaces (see
    # rig_setup_run_printer in queues.sh); Wine then sees no CUPS queue at all.
    RIG_QUEUE_NAMES=("${RIG_TEST_QUEUES[@]}")
    [ "${RIG_MODE:-test}" != run ] || RIG_QUEUE_NAMES=("$RIG_RUN_QUEUE")
    [ "${RIG_WINE:-yes}" = no ] || rig_start_xvfb || return 1
    rig_start_cupsd || return 1
    rig_start_dbus || return 1
    rig_start_pam || return 1
    export RIG_IPP_DIR=$RIG_DIR/ipp
    for name in "${RIG_QUEUE_NAMES[@]}"; do
        rig_start_queue "$name" || return 1
    done
    export RIG_QUEUES="${RIG_QUEUE_NAMES[*]}" RIG_CUPS_SERVER=$CUPS_SERVER
    if [ "${RIG_MODE:-test}" = run ]; then
        # Wine lists every queue of the server it is shown, so it is shown none; the run
        # printer's pipe names the private cupsd itself. Unset, Wine would list the user's own.
        export CUPS_SERVER=$RIG_DIR/no-cups-for-wine.sock
    fi
    if [ "${RIG_WINE:-yes}" != no ]; then
        rig_start_wine || return 1
        rig_setup_queues || {
            rig_log "rig_setup_queues failed"
            return 1
        }
    fi
    rig_write_env
    rig_log "up in $((SECONDS - started)) s: DISPLAY=${DISPLAY:-} CUPS_SERVER=$CUPS_SERVER"
}

# A file that another shell can source to reach the running rig.
rig_write_env() {
    local name var
    {
        for var in RIG_DIR WINEPREFIX WINEARCH WINEDEBUG WINEDLLOVERRIDES CUPS_SERVER DISPLAY \
            TESSALINE_WIN_BUILD RIG_QUEUES RIG_CUPS_PORT RIG_CAPTURE_DIR RIG_CUPS_SERVER \
            RIG_MODE RIG_RUN_PRINTER RIG_WINE DBUS_SYSTEM_BUS_ADDRESS RIG_PAM_SERVICE \
            RIG_IPP_DIR; do
            printf 'export %s=%q\n' "$var" "${!var:-}"
        done
        for name in "${RIG_QUEUE_NAMES[@]}"; do
            var=RIG_JOBS_$name
            printf 'export %s=%q\n' "$var" "${!var}"
            var=RIG_PORT_$name
            printf 'export %s=%q\n' "$var" "${!var}"
        done
    } >"$RIG_DIR/rig.env"
}

# Runs a command as a child that the shell waits for, so INT and TERM reach the shell's traps
# at once instead of after the command ends. The child leads a process group of its own, so
# `rig_end_child` (called by rig_stop) also ends what it started, such as ctest's test scripts.
RIG_CHILD=
rig_run_child() {
    setsid "$@" <&0 &
    RIG_CHILD=$!
    local status=0
    wait "$RIG_CHILD" || status=$?
    RIG_CHILD=
    return "$status"
}

rig_end_child() {
    local pid=${RIG_CHILD:-}
    [ -n "$pid" ] || return 0
    RIG_CHILD=
    wait_end_process "$pid" TERM group
}

rig_stop_pid() { wait_end_process "$1" TERM; }

rig_stop() {
    local i
    rig_end_child
    # Ends every Wine process of the rig's prefix, the programs under test included; never the
    # prefix a caller may have had in WINEPREFIX before the rig set it.
    if [ -n "${RIG_DIR:-}" ] && [ -d "$RIG_DIR/wineprefix" ]; then
        WINEPREFIX=$RIG_DIR/wineprefix timeout 20 wineserver -k </dev/null >/dev/null 2>&1 || true
    fi
    # The IPP printers that tests started and did not stop, before the bus they need.
    ipp_printers_stop_recorded
    for ((i = ${#RIG_PIDS[@]} - 1; i >= 0; i--)); do
        rig_stop_pid "${RIG_PIDS[i]}"
    done
    RIG_PIDS=()
    rig_stop_pam
    if [ -n "${RIG_DIR:-}" ] && [ -d "$RIG_DIR/pids" ]; then
        # A service restarted by a test is known only by its PID file.
        rig_stop_recorded
        rm -f "$RIG_DIR"/pids/*
    fi
}

# A rig whose shell died without stopping it (SIGKILL) left its PIDs behind; stop those,
# provided they still are the programs the rig started.
rig_stop_leftovers() {
    rig_stop_recorded
    rig_stop_pam
    if [ -d "$RIG_DIR/wineprefix" ]; then
        WINEPREFIX=$RIG_DIR/wineprefix timeout 20 wineserver -k >/dev/null 2>&1 || true
    fi
}

# Stops the processes named in the rig's PID files that still are the rig's programs.
rig_stop_recorded() {
    local file pid
    [ -d "$RIG_DIR/pids" ] || return 0
    for file in "$RIG_DIR"/pids/*; do
        [ -f "$file" ] || continue
        pid=$(cat "$file")
        case "$({ tr '\0' ' ' <"/proc/$pid/cmdline"; } 2>/dev/null)" in
            *Xvfb* | *cupsd* | *capture_printer* | *wineserver* | *ippeveprinter* | *dbus-daemon* | \
                *"$IPP_SUPERVISOR_SCRIPT"*)
                rig_log "stopping $(basename "$file") ($pid)"
                rig_stop_pid "$pid"
                ;;
        esac
    done
}
