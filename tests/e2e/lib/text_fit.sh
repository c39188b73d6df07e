# Checks that every text control of a window shows its whole text, measured inside the program
# with the control's own font (driver text-fit). Sourced after lib/e2e.sh and lib/app.sh.

# text_fit_check WINDOW MIN_LABELS [ALLOWED_CUT_TEXT]: fails when a control's text needs more
# lines (or more width) than it has, or when fewer than MIN_LABELS labels were measured (a check
# that measured nothing proves nothing). ALLOWED_CUT_TEXT names one label, by its text, that may
# be cut; it is reported.
text_fit_check() {
    local window=$1 min_labels=$2 allowed=${3:-} report labels cut
    report=$(drv text-fit "$window")
    e2e_note "$window:"$'\n'"$report"
    labels=$(awk -F'\t' '$2 == "label"' <<<"$report" | wc -l)
    [ "$labels" -ge "$min_labels" ] ||
        e2e_fail "$window: measured $labels labels, expected at least $min_labels"
    # Through the environment: awk -v would turn the report's "\t" escapes into tabs.
    cut=$(TEXT_FIT_ALLOWED=$allowed awk -F'\t' \
        '$5 == "cut" && $6 != ENVIRON["TEXT_FIT_ALLOWED"]' <<<"$report")
    [ -z "$cut" ] || e2e_fail "$window: text cut off:"$'\n'"$cut"
}

# text_fit_all_windows [ALLOWED_CUT_TEXT]: the main window, Print Setup and About, each opened
# from the main window and closed again.
text_fit_all_windows() {
    text_fit_check "$APP_CAPTION" 7 "${1:-}"
    setup_open
    text_fit_check "$SETUP_CAPTION" 3 "${1:-}"
    setup_press "$IDCANCEL"
    drv syscommand "$APP_CAPTION" 0x10
    drv wait-window "About Tessaline" >/dev/null
    text_fit_check "About Tessaline" 3 "${1:-}"
    drv click "About Tessaline" 1
    drv wait-close "About Tessaline"
}
