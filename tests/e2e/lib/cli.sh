# Helpers for the tests of tessaline-cli.exe under Wine. Sourced after lib/e2e.sh and lib/app.sh
# (for the queue names, texts and work folders).

CLI_EXE=${TESSALINE_CLI_EXE:-$TESSALINE_WIN_BUILD/tessaline-cli.exe}
CLI_NOT_A_TERMINAL='tessaline-cli: not confirmed: standard input is not a terminal, so nothing was sent; give --yes to confirm without a terminal'
CLI_NO_PRINTER=Tessaline_No_Such_Printer

# cli_run ARGS...: runs the program with input from /dev/null. Sets CLI_OUT and CLI_ERR
# (carriage returns removed) and CLI_RC.
cli_run() {
    local err
    [ -f "$CLI_EXE" ] || e2e_fail "program not built: $CLI_EXE"
    err=$(mktemp "$RIG_DIR/cli-err.XXXXXX")
    CLI_RC=0
    CLI_OUT=$(wine "$CLI_EXE" "$@" </dev/null 2>"$err" | tr -d '\r'
        exit "${PIPESTATUS[0]}") || CLI_RC=$?
    CLI_ERR=$(tr -d '\r' <"$err")
    rm -f "$err"
    printf '%s\n%s\n' "tessaline-cli $* -> $CLI_RC" "$CLI_ERR" >>"$RIG_DIR/logs/cli-$E2E_NAME.log"
}

# cli_expect WHAT RC OUT ERR: the last run's exit code and both outputs, exactly.
cli_expect() {
    e2e_assert_eq "$1: exit code" "$2" "$CLI_RC"
    e2e_assert_eq "$1: standard output" "$3" "$CLI_OUT"
    e2e_assert_eq "$1: standard error" "$4" "$CLI_ERR"
}

# cli_pty ANSWER ARGS...: runs the program on a pseudo-terminal, types ANSWER and Enter once the
# question is up, and sets CLI_TTY (what the terminal showed, escape sequences and blanks
# removed: Wine's console moves the cursor instead of writing spaces) and CLI_RC.
cli_pty() {
    local answer=$1
    shift
    CLI_RC=0
    CLI_TTY=$(python3 "$E2E_TOOLKIT/pty.py" --console --plain \
        --raw "$RIG_DIR/logs/cli-$E2E_NAME.tty" "[y/N]" "$answer" wine "$CLI_EXE" "$@") ||
        CLI_RC=$?
}

# cli_assert_contains WHAT TEXT NEEDLE
cli_assert_contains() {
    [[ "$2" == *"$3"* ]] || e2e_fail "$1: '$3' not found in:"$'\n'"$2"
}
