#!/usr/bin/env bash
# Every label, button and notice line of the three windows shows its whole text under Wine with
# the templates' own font: no label needs more lines than its rectangle holds.
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib/e2e.sh"
source "$here/lib/app.sh"
source "$here/lib/text_fit.sh"

app_start
text_fit_all_windows
# The font the templates name, not a fallback that happens to fit.
font=$(drv font "$APP_CAPTION" "$IDC_MAIN_PRINTER")
e2e_assert_eq "dialog font" "face: MS Sans Serif" "$(grep '^face: ' <<<"$font")"
app_exit
