# A short guided tour of the program for a machine without a usable display: a forms test of
# 4-5 and an upgrade of a small sample file answered Yes, driven by tools/driver on the rig's
# own display. Shows what landed at the printer in hex and a screenshot of each step, then ends;
# every wait is bounded. Sourced by scripts/run and by its end-to-end test. The driver, the
# job counts and the program's caption and control ids come from the tests' toolkit.
#
# tessaline_demo PRINTER JOBS_DIR OUT_DIR: PRINTER is the Windows name to choose, JOBS_DIR the
# capture folder its jobs land in, OUT_DIR where the sample file and screenshots go. Needs the
# rig's variables (DISPLAY, WINEPREFIX, TESSALINE_WIN_BUILD). Returns non-zero, saying why,
# when a step fails.

DEMO_TOOLKIT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../../tests/lib" && pwd)
for demo_part in wait jobs driver product; do
    # shellcheck source=/dev/null
    source "$DEMO_TOOLKIT/$demo_part.sh"
done
unset demo_part

DEMO_CAPTION=$(product_caption)
DEMO_FORMS=4-5
# A sample upgrade file: a printer reset, a few text bytes and a form feed.
DEMO_SAMPLE=$'\033E'"Tessaline sample upgrade"$'\r\n\014'

demo_say() { printf '%s\n' "$*"; }

demo_driver() {
    if ! DRIVER_LOG=$DEMO_OUT/driver.log driver_run "$@"; then
        echo "demo: driver $1 failed: $(driver_complaint)" >&2
        return 1
    fi
    [ -z "$DRIVER_OUT" ] || printf '%s\n' "$DRIVER_OUT"
}

demo_shot() {
    local file=$DEMO_OUT/$1.png
    import -window root "$file" 2>/dev/null || {
        echo "demo: screenshot $file failed" >&2
        return 1
    }
    demo_say "  screenshot: $file"
}

# demo_wait_jobs COUNT: waits up to 20 s until the printer holds COUNT jobs.
demo_wait_jobs() {
    local why
    why=$(jobs_wait "$DEMO_JOBS" "$1" 20 2>&1) || {
        echo "demo: $why" >&2
        return 1
    }
}

# demo_show_jobs FROM: prints every job after the first FROM in hex, 16 bytes a line.
demo_show_jobs() {
    local job
    jobs_list "$DEMO_JOBS" | tail -n +"$(($1 + 1))" | while read -r job; do
        demo_say "  $(basename "$job"), $(stat -c %s "$job") bytes:"
        od -An -v -tx1 "$job" | sed 's/^/   /'
    done
}

# demo_answer_boxes: answers with OK every box that follows, showing each one.
demo_answer_boxes() {
    local box n=0
    while box=$(demo_driver wait-msgbox "$DEMO_CAPTION" --timeout 3 2>/dev/null); do
        n=$((n + 1))
        demo_say "  box: $(sed -n 's/^caption: //p' <<<"$box") - $(sed -n 's/^text: //p' <<<"$box")"
        demo_shot "demo-3-box-$n" || return 1
        demo_driver answer-msgbox "$DEMO_CAPTION" ok || return 1
    done
}

tessaline_demo() {
    local printer=$1
    DEMO_JOBS=$2 DEMO_OUT=$3
    mkdir -p "$DEMO_OUT" || return 1
    [ -n "$DEMO_CAPTION" ] || return 1
    product_resource_ids || return 1
    local app status=0
    wine "$TESSALINE_WIN_BUILD/Tessaline.exe" </dev/null >>"$DEMO_OUT/program.log" 2>&1 &
    app=$!
    _tessaline_demo_steps "$printer" || status=$?
    if kill -0 "$app" 2>/dev/null; then
        demo_driver close "$DEMO_CAPTION" --timeout 2 >/dev/null 2>&1 || true
        sleep 1
        kill "$app" 2>/dev/null || true
    fi
    wait "$app" 2>/dev/null || true
    return "$status"
}

_tessaline_demo_steps() {
    local printer=$1 before sample=$DEMO_OUT/sample-upgrade.bin
    demo_say "Demo: the program on the rig's display $DISPLAY"
    demo_driver wait-window "$DEMO_CAPTION" --timeout 30 >/dev/null || return 1
    demo_driver select "$DEMO_CAPTION" "$IDC_MAIN_PRINTER" --text "$printer" || return 1
    demo_say "1. The main window, printer \"$(demo_driver get-text "$DEMO_CAPTION" "$IDC_MAIN_PRINTER")\"."
    demo_shot demo-1-main || return 1

    before=$(jobs_count "$DEMO_JOBS")
    demo_say "2. Forms test of $DEMO_FORMS: Print sends one job per form."
    demo_driver set-text "$DEMO_CAPTION" "$IDC_MAIN_FORMS" "$DEMO_FORMS" || return 1
    demo_driver click "$DEMO_CAPTION" "$IDC_MAIN_PRINT" --timeout 30 || return 1
    demo_wait_jobs $((before + 2)) || return 1
    demo_show_jobs "$before"
    demo_shot demo-2-forms || return 1

    printf '%s' "$DEMO_SAMPLE" >"$sample"
    before=$(jobs_count "$DEMO_JOBS")
    demo_say "3. Upgrade with the sample file $sample, answered Yes."
    demo_driver set-text "$DEMO_CAPTION" "$IDC_MAIN_PATH" "Z:${sample//\//\\}" || return 1
    demo_driver click "$DEMO_CAPTION" "$IDC_MAIN_UPGRADE" || return 1
    demo_driver wait-msgbox "$DEMO_CAPTION" --timeout 10 >/dev/null || return 1
    demo_shot demo-3-confirm || return 1
    demo_driver answer-msgbox "$DEMO_CAPTION" yes || return 1
    demo_answer_boxes || return 1
    demo_wait_jobs $((before + 1)) || return 1
    demo_show_jobs "$before"

    demo_say "4. Exit."
    demo_driver click "$DEMO_CAPTION" 2 || return 1
    demo_driver wait-close "$DEMO_CAPTION" --timeout 10 || return 1
    demo_say "Demo done."
}
