# The run's Wine prefix: private, 64-bit, with fonts, unmanaged windows, the rig's printers and
# one persistent wineserver.
source "$(dirname "$0")/lib/e2e.sh"

e2e_assert_eq "WINEPREFIX" "$RIG_DIR/wineprefix" "$WINEPREFIX"
e2e_assert_eq "WINEARCH" "win64" "$WINEARCH"
grep -qx '#arch=win64' "$WINEPREFIX/system.reg" || e2e_fail "prefix is not 64-bit"

for font in /usr/share/wine/fonts/*.ttf; do
    copy=$WINEPREFIX/drive_c/windows/Fonts/$(basename "$font")
    cmp -s "$font" "$copy" || e2e_fail "font $(basename "$font") missing or different in the prefix"
done

if [ -z "${RIG_EXTERNAL_DISPLAY:-}" ]; then
    e2e_assert_reg 'HKCU\Software\Wine\X11 Driver' Managed N
    e2e_assert_eq "type of Managed" REG_SZ "$(e2e_reg_type 'HKCU\Software\Wine\X11 Driver' Managed)"
fi

devices='HKCU\Software\Microsoft\Windows NT\CurrentVersion\Devices'
for queue in $RIG_QUEUES; do
    value=$(e2e_reg_query "$devices" "$queue") || e2e_fail "Wine does not list printer $queue"
    case "$value" in
        wineps.drv,*) ;;
        *) e2e_fail "printer $queue listed as '$value'" ;;
    esac
done

e2e_assert_eq "CUPS_SERVER inside Wine" "$CUPS_SERVER" \
    "$(e2e_wine cmd.exe /c echo %CUPS_SERVER%)"

# Wine programs reuse the rig's server instead of starting their own.
server=$(cat "$RIG_DIR/pids/wineserver")
case "$(tr '\0' ' ' <"/proc/$server/cmdline" 2>/dev/null)" in
    *wineserver*" -p "*) ;;
    *) e2e_fail "the rig's persistent wineserver ($server) is not running" ;;
esac
e2e_wine cmd.exe /c exit 0 >/dev/null
socket_owner=$(ps -o pid= -C wineserver64 | while read -r pid; do
    if tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX"; then
        echo "$pid"
    fi
done)
e2e_assert_eq "wineservers of the prefix" "$server" "$socket_owner"
