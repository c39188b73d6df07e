# The toolkit's one retry of a Windows program (tests/lib/driver.sh): only a silent exit 1 is
# run again, once, and the log says so; a failure the program explains is never retried.
source "$(dirname "$0")/lib/e2e.sh"

work=$(mktemp -d "$RIG_DIR/toolkit_wine_retry.XXXXXX")
trap 'e2e_cleanup; rm -rf "$work"' EXIT

# A stand-in for wine: each run takes its next behaviour from the list in $work/plan.
wine() {
    local next
    next=$(head -n 1 "$work/plan")
    sed -i 1d "$work/plan"
    echo "$*" >>"$work/runs"
    case "$next" in
        silent1) return 1 ;;
        said1) echo "reg: unable to find the key" >&2 && return 1 ;;
        printed1) echo "partial" && return 1 ;;
        silent2) return 2 ;;
        ok) echo "done" ;;
    esac
}

# case PLAN WANT_RC WANT_RUNS WANT_LOG_LINES
for row in "silent1 ok|0|2|1" "silent1 silent1|1|2|1" "said1 ok|1|1|0" "printed1 ok|1|1|0" \
    "silent2 ok|2|1|0" "ok|0|1|0"; do
    IFS='|' read -r plan want_rc want_runs want_logs <<<"$row"
    tr ' ' '\n' <<<"$plan" >"$work/plan"
    : >"$work/runs"
    DRIVER_LOG=$work/log
    : >"$DRIVER_LOG"
    rc=0
    wine_once_more_if_silent "$work/out" "$work/err" reg add KEY || rc=$?
    e2e_assert_eq "$plan: exit code" "$want_rc" "$rc"
    e2e_assert_eq "$plan: runs" "$want_runs" "$(wc -l <"$work/runs")"
    e2e_assert_eq "$plan: log lines" "$want_logs" "$(wc -l <"$DRIVER_LOG")"
done
e2e_assert_eq "log line" "wine exited 1 silently; reg add KEY run again" \
    "$(tr ' ' '\n' <<<"silent1 ok" >"$work/plan"; : >"$DRIVER_LOG"
        wine_once_more_if_silent "$work/out" "$work/err" reg add KEY; cat "$DRIVER_LOG")"
e2e_note "ok"
