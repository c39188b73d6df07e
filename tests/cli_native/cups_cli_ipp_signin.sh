#!/usr/bin/env bash
# Sign-in to a printer reached by IPP address: the password asked on the terminal without echo,
# or read from a file its owner alone may read; never sent over a plain connection; a file
# others may read is refused before anything is sent.
source "$(dirname "$0")/lib/cli_ipp.sh"

PCL=application/vnd.hp-PCL
password='Tr0ub4dor&3 with spaces'
ipp_add_user alice "$password" || e2e_fail "no sign-in on this rig (see RIG_PAM_SERVICE)"
cli_random_file "$work/upgrade.bin" 200000
cli_ipp_printer Ipp_Sign_In -f "$PCL" -A
uri=$(cli_ipp_uri Ipp_Sign_In)
secure=ipps://${uri#ipp://}
jobs_done() { ipp_jobs "ipps://alice:$(python3 -c 'import sys, urllib.parse
print(urllib.parse.quote(sys.argv[1], safe=""))' "$password")@${uri#ipp://}" completed | grep -c . || true; }

# ---- asked on the terminal: not echoed, and it signs in ----

CLI_RC=0
CLI_SHOWN=$(python3 "$E2E_TOOLKIT/pty.py" --timeout 60 "assword" "$password" "$CLI" upgrade \
    "$work/upgrade.bin" -p "$secure" --user alice --yes --format "$PCL") || CLI_RC=$?
e2e_assert_eq "terminal: exit code (shown: $CLI_SHOWN)" 0 "$CLI_RC"
[[ "$CLI_SHOWN" != *"$password"* ]] || e2e_fail "terminal: the password was echoed: $CLI_SHOWN"
e2e_assert_eq "terminal: sign-in attempts" "alice ok" "$(ipp_sign_in_attempts | sort -u)"
e2e_assert_eq "terminal: jobs done" 1 "$(jobs_done)"

# ---- from a file of mode 600 ----

printf '%s\n' "$password" >"$work/password"
chmod 600 "$work/password"
: >"$RIG_IPP_DIR/pam.log"
cli_run upgrade "$work/upgrade.bin" -p "$secure" --user alice --password-file "$work/password" \
    --yes --format "$PCL" --json
e2e_assert_eq "file: exit code (stderr: $CLI_ERR)" 0 "$CLI_RC"
cli_json_expect file "$CLI_OUT" 'stage="Completed"' 'written=200000'
e2e_assert_eq "file: sign-in attempts" "alice ok" "$(ipp_sign_in_attempts | sort -u)"
e2e_assert_eq "file: jobs done" 2 "$(jobs_done)"
newest=$(ipp_printer_documents Ipp_Sign_In | tail -n 1)
cli_assert_same_file file "$newest" "$work/upgrade.bin"

# ---- a wrong password: not signed in, nothing printed ----

printf 'not it\n' >"$work/wrong"
chmod 600 "$work/wrong"
: >"$RIG_IPP_DIR/pam.log"
cli_run upgrade "$work/upgrade.bin" -p "$secure" --user alice --password-file "$work/wrong" \
    --yes --format "$PCL" --json
[ "$CLI_RC" -ne 0 ] || e2e_fail "wrong password: exit 0: $CLI_OUT"
[ "$(cli_json_raw "$CLI_OUT" stage)" != Completed ] || e2e_fail "wrong password: Completed"
e2e_assert_contains "wrong password: the printer refused it" "alice refused" "$(ipp_sign_in_attempts)"
e2e_assert_eq "wrong password: jobs done" 2 "$(jobs_done)"

# ---- refused before anything is sent: a plain connection, a file others may read ----

cp "$work/password" "$work/readable"
chmod 644 "$work/readable"
# CASE|URI|PASSWORD FILE|WORDS THE MESSAGE HOLDS (comma-separated)
refusals=(
    "plain connection|$uri|$work/password|--encrypt,ipps://"
    "mode 644|$secure|$work/readable|$work/readable"
)
for refusal in "${refusals[@]}"; do
    IFS='|' read -r what target file words <<<"$refusal"
    : >"$RIG_IPP_DIR/pam.log"
    cli_run upgrade "$work/upgrade.bin" -p "$target" --user alice --password-file "$file" \
        --yes --format "$PCL"
    [ "$CLI_RC" -ne 0 ] || e2e_fail "$what: exit 0: $CLI_OUT"
    IFS=, read -ra needed <<<"$words"
    for word in "${needed[@]}"; do
        e2e_assert_contains "$what: the message" "$word" "$CLI_ERR"
    done
    e2e_assert_eq "$what: sign-in attempts at the printer" "" "$(ipp_sign_in_attempts)"
    e2e_assert_eq "$what: jobs done" 2 "$(jobs_done)"
done

echo "all checks passed"
