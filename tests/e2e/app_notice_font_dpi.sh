#!/usr/bin/env bash
# The notice lines' font follows the window's DPI: 16 pixels at 96 DPI, 24 at 144, made anew
# when the window moves to a monitor of another DPI; and at 144 DPI no control is cut.
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib/e2e.sh"
source "$here/lib/app.sh"
source "$here/lib/text_fit.sh"

DESKTOP_KEY='HKCU\Control Panel\Desktop'

# notice_font_is WHAT HEIGHT DPI: both notice lines use one font of that height, in a window of
# that DPI.
notice_font_is() {
    local what=$1 height=$2 dpi=$3 line1 line2
    line1=$(drv font "$APP_CAPTION" "$IDC_MAIN_NOTICE_LINE1")
    line2=$(drv font "$APP_CAPTION" "$IDC_MAIN_NOTICE_LINE2")
    e2e_note "$what: $(tr '\n' ';' <<<"$line1")"
    e2e_assert_eq "$what: notice font height" "height: $height" "$(grep '^height: ' <<<"$line1")"
    e2e_assert_eq "$what: window DPI" "window dpi: $dpi" "$(grep '^window dpi: ' <<<"$line1")"
    e2e_assert_eq "$what: both notice lines' font" "$line1" "$line2"
    # The other arguments stay as they were: normal weight, ANSI, a Swiss face chosen by GDI.
    e2e_assert_eq "$what: weight, charset, family" \
        $'weight: 400\ncharset: 0\npitch and family: 0x20\nrequested face: ' \
        "$(grep -E '^(weight|charset|pitch and family|requested face):' <<<"$line1")"
}

# The display's DPI is read by each new process; put back whatever the prefix had.
saved_dpi=$(e2e_reg_query "$DESKTOP_KEY" LogPixels || true)
restore_dpi() {
    if [ -n "$saved_dpi" ]; then
        e2e_reg_add "$DESKTOP_KEY" LogPixels REG_DWORD "$((saved_dpi))"
    else
        wine reg delete "$DESKTOP_KEY" /v LogPixels /f </dev/null >/dev/null 2>&1 || true
    fi
}
trap 'e2e_cleanup; restore_dpi' EXIT

e2e_reg_add "$DESKTOP_KEY" LogPixels REG_DWORD 96
app_start
notice_font_is "at 96 DPI" 16 96
# Moved to a 144 DPI monitor and back: the font is made anew each time. (Wine 8 has one DPI
# for every monitor and does not rescale the window itself, so only the font is looked at.)
drv dpi-changed "$APP_CAPTION" 144
notice_font_is "told 144 DPI" 24 96
drv dpi-changed "$APP_CAPTION" 96
notice_font_is "told 96 DPI again" 16 96
app_exit

e2e_reg_add "$DESKTOP_KEY" LogPixels REG_DWORD 144
app_start
notice_font_is "at 144 DPI" 24 144
e2e_note "screenshot: $(e2e_screenshot app_notice_font_144dpi "$APP_CAPTION")"
# The one allowed exception (docs/high_dpi.md): the Example label's third line ends 3 pixels past
# its rectangle at 144 DPI. The template's rectangle is fixed and tab stops are eight whole
# average widths of the 120-DPI bitmap font, which grow faster than the dialog units.
text_fit_all_windows $'Example:\\t2\\tPrint Form 2\\n\\t\\t4-11\\tPrint Forms\\n\\t\\t\\t4 through 11'
app_exit
