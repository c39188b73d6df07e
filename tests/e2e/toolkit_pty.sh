# The toolkit's one pseudo-terminal answerer (tests/lib/pty.py), with small shell programs as
# the command: it answers once the question is up, passes the exit code on, shows what the
# terminal showed, and ends a command that never asks.
source "$(dirname "$0")/lib/e2e.sh"

work=$(mktemp -d "$RIG_DIR/toolkit_pty.XXXXXX")
trap 'e2e_cleanup; rm -rf "$work"' EXIT
pty=$E2E_TOOLKIT/pty.py

# run_pty ARGS...: sets OUT (the transcript) and RC.
run_pty() {
    RC=0
    OUT=$(python3 "$pty" "$@") || RC=$?
}

# Typed after the question, Enter included, echoed by the terminal; the code comes back.
run_pty "Continue? [y/N] " yes bash -c 'read -r -p "Continue? [y/N] " a; echo "got <$a>"; exit 3'
e2e_assert_eq "answered: exit code" 3 "$RC"
e2e_assert_eq "answered: transcript" "Continue? [y/N] yes
got <yes>" "$OUT"

# Nothing is typed before the question: input that came early would be read by the first read.
run_pty "[y/N] " n bash -c 'read -r -t 1 early && echo "early <$early>"; read -r -p "Sure? [y/N] " a
    echo "got <$a>"'
e2e_assert_eq "not typed early: exit code" 0 "$RC"
e2e_assert_eq "not typed early: transcript" "Sure? [y/N] n
got <n>" "$OUT"

# A command that ends without asking keeps its code and output; nothing is typed.
run_pty "[y/N]" y bash -c 'echo "no question"; exit 5'
e2e_assert_eq "no question: exit code" 5 "$RC"
e2e_assert_eq "no question: transcript" "no question" "$OUT"

# A question behind escape sequences is found; --plain drops them, carriage returns and blanks,
# and --raw keeps every byte.
run_pty --plain --raw "$work/raw" "[y/N]" y \
    bash -c 'printf "\033[2J\033[1;1HGo on? [y/N] "; read -r a; printf "a b\r\n"'
e2e_assert_eq "plain: exit code" 0 "$RC"
e2e_assert_eq "plain: transcript" "Goon?[y/N]y
ab" "$OUT"
e2e_assert_eq "raw transcript" "1b 5b 32 4a 1b 5b 31 3b 31 48 47 6f 20 6f 6e 3f 20 5b 79 2f 4e 5d 20 79 0d 0a 61 20 62 0d 0d 0a" \
    "$(e2e_hex "$work/raw")"

# The terminal is 80 columns by 24 rows.
run_pty "x" y stty size
e2e_assert_eq "terminal size" "24 80" "$OUT"

# --console types Enter only once the command reads the terminal raw: it then reads CR itself,
# as Wine's console wants it. Without --console the line discipline has turned it into LF.
console_program='printf "Raw? [y/N] "; sleep 0.5; stty raw -echo
    printf "read%s\n" "$(head -c 2 | od -An -tx1)"'
run_pty --console "[y/N]" y bash -c "$console_program"
e2e_assert_contains "console: answer read raw" "read 79 0d" "$OUT"
run_pty "[y/N]" y bash -c "$console_program"
e2e_assert_contains "no console: answer read as a line" "read 79 0a" "$OUT"

# A command that never asks is killed once the time is up: code 124, and it is gone.
started=$SECONDS
run_pty --timeout 1 "[y/N]" y bash -c 'echo $$ >"$1"; sleep 30' _ "$work/pid"
e2e_assert_eq "timed out: exit code" 124 "$RC"
[ $((SECONDS - started)) -lt 10 ] || e2e_fail "a time-out of 1 s took $((SECONDS - started)) s"
! kill -0 "$(cat "$work/pid")" 2>/dev/null || e2e_fail "the command still runs after the time-out"
