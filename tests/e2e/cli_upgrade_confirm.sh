#!/usr/bin/env bash
# The confirmation of tessaline-cli upgrade: refused without a terminal unless --yes, asked on a
# terminal where only y or yes sends; and file errors, all before anything is sent: a missing
# file, one another program holds open, one of 4 GiB or more (refused before the question).
source "$(dirname "$0")/lib/e2e.sh"
source "$(dirname "$0")/lib/app.sh"
source "$(dirname "$0")/lib/cli.sh"

app_work_dir cli-upgrade-confirm
file=$work/upgrade.kmf
head -c 5000 /dev/urandom >"$file"
winfile=$(win_path "$file")
sent=$(sent_text 5000)
queue=$RIG_QUEUE_VIRTUAL

before=$(e2e_job_count "$queue")
cli_run upgrade "$winfile" --printer "$queue"
cli_expect "no terminal, no --yes" 2 "" "$CLI_NOT_A_TERMINAL"
cli_run upgrade "$winfile" --printer "$queue" --json
cli_expect "no terminal, JSON" 2 \
    "{\"printer\":\"$queue\",\"uri\":null,\"stage\":\"NotConfirmed\",\"size\":null,\"written\":0,\"datatype\":null,\"job\":null,\"state\":null,\"state_reasons\":null,\"message\":null,\"seconds\":null}" \
    "$CLI_NOT_A_TERMINAL"
e2e_expect_no_jobs "$queue" "$before" 0.5
e2e_note "no terminal: ok"

# What the terminal shows, blanks removed (see cli_pty).
question=$(printf '%b\n\n1 printer:\n%s\nContinue?[y/N]' "$CONFIRM_TEXT" "$queue" | tr -d ' ')
for answer in y n; do
    before=$(e2e_job_count "$queue")
    cli_pty "$answer" upgrade "$winfile" --printer "$queue"
    # Wine's console wraps long lines at its width; compare without line breaks.
    shown=$(tr -d '\n' <<<"$CLI_TTY")
    cli_assert_contains "answer '$answer'" "$shown" "$(tr -d '\n' <<<"$question")$answer"
    if [ "$answer" = y ]; then
        e2e_assert_eq "answer '$answer': exit code" 0 "$CLI_RC"
        cli_assert_contains "answer '$answer'" "$shown" "$(tr -d ' ' <<<"$queue: $sent")"
        e2e_wait_jobs "$queue" "$before" 1 30
        e2e_assert_job_file "$(e2e_job_file "$queue" $((before + 1)))" "$file"
    else
        e2e_assert_eq "answer '$answer': exit code" 2 "$CLI_RC"
        cli_assert_contains "answer '$answer'" "$shown" "tessaline-cli:notconfirmed:nothingwassent"
        e2e_expect_no_jobs "$queue" "$before" 0.5
    fi
    e2e_note "terminal, answer '$answer': ok"
done

file_error() { printf 'tessaline-cli: File Error: %s: %s' "$1" "$2"; }

before=$(e2e_job_count "$queue")
cli_run upgrade "$(win_path "$work/missing.kmf")" --printer "$queue" --yes
cli_expect "missing file" 3 "" "$(file_error "$(win_path "$work/missing.kmf")" "$FILE_ERROR_TEXT")"

hold_open "$file"
cli_run upgrade "$winfile" --printer "$queue" --yes
release_hold
cli_expect "file held open" 3 "" "$(file_error "$winfile" "$FILE_ERROR_TEXT")"

# Sparse: 4 GiB exactly, no room taken. Refused before the question, even on a terminal.
truncate -s 4G "$work/huge.kmf"
cli_run upgrade "$(win_path "$work/huge.kmf")" --printer "$queue"
cli_expect "4 GiB" 3 "" "$(file_error "$(win_path "$work/huge.kmf")" "$TOO_LARGE_TEXT")"
cli_pty y upgrade "$(win_path "$work/huge.kmf")" --printer "$queue"
e2e_assert_eq "4 GiB on a terminal: exit code" 3 "$CLI_RC"
[[ "$CLI_TTY" != *"Continue?"* ]] || e2e_fail "4 GiB on a terminal: the question was asked"
e2e_expect_no_jobs "$queue" "$before" 0.5
e2e_note "file errors: ok"
