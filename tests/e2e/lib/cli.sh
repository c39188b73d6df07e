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
    local answer=$1 out
    shift
    out=$(mktemp "$RIG_DIR/cli-tty.XXXXXX")
    CLI_RC=0
    /usr/bin/python3 - "$answer" "$out" wine "$CLI_EXE" "$@" <<'PY' || CLI_RC=$?
import fcntl, os, pty, re, select, signal, struct, sys, termios, time
answer, out_path, argv = sys.argv[1].encode(), sys.argv[2], sys.argv[3:]
pid, fd = pty.fork()
if pid == 0:
    # A terminal of no size makes Wine's console hang; give it the usual one.
    fcntl.ioctl(0, termios.TIOCSWINSZ, struct.pack("HHHH", 24, 80, 0, 0))
    os.execvp(argv[0], argv)
seen, typed, deadline, status = b"", False, time.time() + 60, None
while time.time() < deadline:
    # Wine's console host may keep the terminal open after the program has ended.
    done, code = os.waitpid(pid, os.WNOHANG)
    if done:
        status = code
        break
    ready, _, _ = select.select([fd], [], [], 0.2)
    if not ready:
        continue
    try:
        data = os.read(fd, 4096)
    except OSError:
        break
    if not data:
        break
    seen += data
    plain = re.sub(rb"\x1b\[[0-9;?]*[A-Za-z]", b"", seen)
    if not typed and b"[y/N]" in plain:
        # Type only once Wine's console reads the terminal raw: earlier, the line discipline
        # would turn Enter into a line feed, which the console does not take as Enter.
        raw_by = time.time() + 10
        while termios.tcgetattr(fd)[3] & termios.ICANON and time.time() < raw_by:
            time.sleep(0.05)
        os.write(fd, answer + b"\r")
        typed = True
if status is None:
    if time.time() >= deadline:
        os.kill(pid, signal.SIGKILL)
    _, status = os.waitpid(pid, 0)
plain = re.sub(rb"\x1b\[[0-9;?]*[A-Za-z]", b"", seen).replace(b"\r", b"").replace(b" ", b"")
open(out_path, "wb").write(plain)
open(out_path + ".raw", "wb").write(seen)
sys.exit(os.waitstatus_to_exitcode(status))
PY
    CLI_TTY=$(cat "$out")
    mv -f "$out.raw" "$RIG_DIR/logs/cli-$E2E_NAME.tty"
    rm -f "$out"
}

# cli_assert_contains WHAT TEXT NEEDLE
cli_assert_contains() {
    [[ "$2" == *"$3"* ]] || e2e_fail "$1: '$3' not found in:"$'\n'"$2"
}
