# The rig's X display is up and private, and the window and screenshot helpers work on it.
source "$(dirname "$0")/lib/e2e.sh"

[ -n "${DISPLAY:-}" ] || e2e_fail "DISPLAY is unset"
root=$(xwininfo -root 2>&1) || e2e_fail "cannot reach display $DISPLAY: $root"
if [ -z "${RIG_EXTERNAL_DISPLAY:-}" ]; then
    e2e_assert_eq "Xvfb PID file" "Xvfb" "$(ps -o comm= -p "$(cat "$RIG_DIR/pids/xvfb")")"
    e2e_assert_eq "display number" ":$(tr -d '[:space:]' <"$RIG_DIR/xvfb.display")" "$DISPLAY"
    e2e_assert_eq "root width" "1280" "$(awk '/Width:/ { print $2 }' <<<"$root")"
    e2e_assert_eq "root height" "1024" "$(awk '/Height:/ { print $2 }' <<<"$root")"
    # As on a desktop, a resource database is loaded, so Xlib does not look for one per look-up.
    e2e_assert_eq "X resource database" 'RESOURCE_MANAGER(STRING) = "Tessaline.rig:\ttrue\n"' \
        "$(xprop -root RESOURCE_MANAGER)"
fi

shot=$(e2e_screenshot rig_services_display_root)
e2e_assert_eq "root screenshot size" "$(awk '/Width:/ { w = $2 } /Height:/ { h = $2 } END { print w "x" h }' <<<"$root")" \
    "$(identify -format '%wx%h' "$shot")"

# A Wine window: found by its caption, screenshot cropped to exactly its size.
wine notepad.exe </dev/null >/dev/null 2>&1 &
APP_PID=$!
title="Untitled - Notepad"
wait_until 30 e2e_window_exists "$title" || e2e_fail "no window \"$title\" within 30 s"
geometry=$(e2e_window_geometry "$title")
[[ "$geometry" =~ ^([0-9]+)x([0-9]+)\+-?[0-9]+\+-?[0-9]+$ ]] ||
    e2e_fail "window geometry '$geometry' is not WxH+X+Y"
shot=$(e2e_screenshot rig_services_display_notepad "$title")
e2e_assert_eq "window screenshot size" "${BASH_REMATCH[1]}x${BASH_REMATCH[2]}" \
    "$(identify -format '%wx%h' "$shot")"
# A blank capture would mean the window was not drawn.
colours=$(identify -format '%k' "$shot")
[ "$colours" -gt 2 ] || e2e_fail "window screenshot has only $colours colour(s)"
