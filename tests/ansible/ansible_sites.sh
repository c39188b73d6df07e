#!/usr/bin/env bash
# The collection korvane.tessaline end to end over three sites of this machine: the example
# playbook previewed with --check, run, run again, and stopped by a site whose printer keeps its
# old version; then a password given to the module, with the role installing the released .deb
# around that run when there is one. The printers' own logs and kept files judge each run.
set -euo pipefail
if ! command -v ansible-playbook >/dev/null; then
    echo "[ansible_sites] not run: no ansible-playbook (Debian's ansible-core)" >&2
    exit "${E2E_SKIP_CODE:-77}"
fi
source "$(dirname "$0")/../cli_native/lib/cli_ipp.sh"
source "$(dirname "$0")/lib/ansible_sites.sh"

SITES=(site_a site_b site_c)
KINDS=(Apply Current Queued)
TIMEOUT=4
test_started=$SECONDS
for site in "${SITES[@]}"; do
    ans_site_start "$site"
done
ipp_firmware_file "$work/upgrade.bin" "$ANS_NEW"
ans_inventory "${SITES[@]}"
ans_install_collection
e2e_note "printers up and collection installed in $((SECONDS - test_started)) s"

# The fleet report as "site|printer|outcome|before|after|message" lines (JSON values), then the
# sites not run and failed.
report() {
    # Each run's report is kept beside its log, for whoever reads them after the test.
    cp "$work/report.json" "${ANS_LOG%.log}-report.json" 2>/dev/null || true
    "$ANS_PYTHON" -c 'import json, sys
r = json.load(open(sys.argv[1]))
d = lambda v: json.dumps(v)
for p in sorted(r["printers"], key=lambda p: (p["site"], p["printer"])):
    print("|".join([p["site"], p["printer"], p["outcome"]] +
                   [d(p[k]) for k in ("version_before", "version_after", "message")]))
print("not run:", *r["sites_not_run"])
print("failed:", *r["sites_failed"])' "$work/report.json" || e2e_fail "no fleet report: $(tail -n 20 "$ANS_LOG")"
}
# The PLAY RECAP as "HOST changed=N failed=N" lines.
recap() { sed -nE '/^PLAY RECAP/,$ s/^([a-z_]+) +: .*(changed=[0-9]+).*(failed=[0-9]+).*/\1 \2 \3/p' "$ANS_LOG"; }

# printer SITE KIND: as the CLI names it, by address or by queue.
printer() {
    local p
    p=$(ans_site_prefix "$1")
    if [ "$2" = Queued ]; then echo "${p}_Queue"; else cli_ipp_uri "${p}_$2"; fi
}
# row SITE KIND OUTCOME BEFORE AFTER [MESSAGE]: one expected report line.
row() { echo "$1|$(printer "$1" "$2")|$3|$4|$5|${6:-null}"; }
old=\"$ANS_OLD\" new=\"$ANS_NEW\"
# sites_rows "KIND:OUTCOME:BEFORE:AFTER ..." SITE...: the same rows at each site, sorted.
sites_rows() {
    local rows=$1 site r
    shift
    for site in "$@"; do
        for r in $rows; do
            IFS=: read -r kind outcome before after <<<"$r"
            row "$site" "$kind" "$outcome" "$before" "$after"
        done
    done | sort -t'|' -k1,2
}

# What each printer's job command saw and the supervisor's notes on jobs, one line each.
seen() {
    local site kind name
    for site in "${SITES[@]}"; do
        for kind in "${KINDS[@]}" "$@"; do
            name=$(ans_site_prefix "$site")_$kind
            [ -d "$(ipp_dir "$name")" ] || continue
            echo "$name: received=$(paste -sd';' "$(ipp_dir "$name")/received")" \
                "notes=$(sed -n 's/^[0-9.]* supervisor: \(job\|restarts\)/\1/p' \
                    "$(ipp_printer_log "$name")" | paste -sd';')"
        done
    done
}
nothing_seen=$(seen | sed 's/: .*/: received= notes=/')
sent="received=1 $ANS_NEW Module notes=job 1 names Module $ANS_NEW;restarts in 2 s"
upgraded_seen=$(sed -E "/_(Apply|Queued):/ s|: .*|: $sent|" <<<"$nothing_seen")

# recap_expect CASE "HOST changed=N failed=N" lines.
recap_expect() { e2e_assert_eq "$1: play recap" "$2" "$(recap)"; }
played() {
    ANS_LOG=$work/$1.log
    e2e_note "$1: ansible-playbook ran $ANS_SECONDS s"
    e2e_assert_eq "$1: ansible-playbook's exit code ($(tail -n 30 "$ANS_LOG"))" "$2" "$ANS_RC"
}

# ---- --check: asks, sends nothing, and reports what inventory says ----

ans_fleet check --check
played check 0
e2e_assert_eq "check: report" "$(sites_rows "Apply:WouldUpgrade:$old:null Current:Current:$new:null
    Queued:WouldUpgrade:$old:null" "${SITES[@]}")
not run:
failed:" "$(report)"
for site in "${SITES[@]}"; do
    "$CLI" inventory --printers-file "$work/$site.txt" --server "$(ans_site_server "$site")" \
        --json </dev/null | "$ANS_PYTHON" -c 'import json, sys
for o in map(json.loads, sys.stdin):
    print(sys.argv[1], o["printer"], json.dumps(o["components"][0]["version"]))' "$site"
done | sort >"$work/inventory.txt"
e2e_assert_eq "check: versions in the report against inventory's" "$(cat "$work/inventory.txt")" \
    "$(report | awk -F'|' 'NF > 3 { print $1, $2, $4 }' | sort)"
e2e_assert_eq "check: what the printers saw" "$nothing_seen" "$(seen)"
for site in "${SITES[@]}"; do
    e2e_assert_eq "check: jobs of $site's queue" "" "$(lpstat -W all -o "$(printer "$site" Queued)")"
done

# ---- the upgrade: verified, and the printers kept the file whole ----

ans_fleet upgrade
played upgrade 0
e2e_assert_eq "upgrade: report" "$(sites_rows "Apply:Verified:$old:$new
    Current:AlreadyCurrent:$new:null Queued:Verified:$old:$new" "${SITES[@]}")
not run:
failed:" "$(report)"
e2e_assert_eq "upgrade: what the printers saw" "$upgraded_seen" "$(seen)"
for site in "${SITES[@]}"; do
    for kind in Apply:1 Current:0 Queued:1; do
        name=$(ans_site_prefix "$site")_${kind%:*}
        docs=$(ipp_printer_documents "$name")
        e2e_assert_eq "upgrade: $name's documents" "${kind#*:}" "$(grep -c . <<<"$docs" || true)"
        for doc in $docs; do
            cli_assert_same_file "upgrade: $name" "$doc" "$work/upgrade.bin"
        done
    done
done
e2e_assert_eq "upgrade: play recap" "$(printf '%s changed=N failed=0\n' "${SITES[@]}")" \
    "$(recap | sed -E 's/changed=[1-9][0-9]*/changed=N/')"

# ---- the same again: every printer current, nothing sent, nothing changed ----

ans_fleet again
played again 0
e2e_assert_eq "again: report" "$(sites_rows "Apply:AlreadyCurrent:$new:null
    Current:AlreadyCurrent:$new:null Queued:AlreadyCurrent:$new:null" "${SITES[@]}")
not run:
failed:" "$(report)"
recap_expect again "$(printf '%s changed=0 failed=0\n' "${SITES[@]}")"
e2e_assert_eq "again: what the printers saw" "$upgraded_seen" "$(seen)"

# ---- a printer at site_b keeps its old version: site_c, one at a time after it, never runs ----

cli_ipp_firmware refusing Ans_B_Refusing "$ANS_OLD"
cli_ipp_uri Ans_B_Refusing >>"$work/site_b.txt"
ans_fleet failing -e tessaline_serial=1 -e tessaline_verify_timeout=$TIMEOUT
played failing 2
refused="\"the printer reports $ANS_OLD for Module, not $ANS_NEW, $TIMEOUT s after the upgrade (before it: $ANS_OLD)\""
e2e_assert_eq "failing: report" "$( (sites_rows "Apply:AlreadyCurrent:$new:null
    Current:AlreadyCurrent:$new:null Queued:AlreadyCurrent:$new:null" site_a site_b
    row site_b Refusing NotVerified "$old" "$old" "$refused") | sort -t'|' -k1,2)
not run: site_c
failed: site_b" "$(report)"
e2e_assert_eq "failing: site_b's message" "\"msg\": \"1 of 4 printers failed: $(cli_ipp_uri \
    Ans_B_Refusing) (NotVerified: ${refused//\"/})\"" "$(grep -o '"msg": "[^"]*"' "$ANS_LOG" | sort -u)"
# site_b sent the file to the printer that refused it: changed, and failed.
recap_expect failing "site_a changed=0 failed=0
site_b changed=1 failed=1"
e2e_assert_eq "failing: what the printers saw" "$(sort <<<"$upgraded_seen
Ans_B_Refusing: received=1 $ANS_NEW Module notes=job 1 names Module $ANS_NEW")" "$(seen Refusing | sort)"

# ---- a password: in no output, argument, environment or file left behind ----

# The role around this run installs the released .deb and removes it again; the trap removes it
# when the test ends before that. A machine that has the package already keeps it untouched.
installed() { [ "$(dpkg-query -W -f='${db:Status-Status}' tessaline-cli 2>/dev/null)" = installed ]; }
deb=$(ls "${TESSALINE_DIST:-/nonexistent}"/tessaline-cli_*_amd64.deb 2>/dev/null || true)
signed_cli=$CLI
if [ -z "$deb" ]; then
    e2e_note "the role is not tested: no tessaline-cli .deb in TESSALINE_DIST ('${TESSALINE_DIST:-}')"
elif installed; then
    e2e_note "the role is not tested: tessaline-cli is installed on this machine already"
    deb=
else
    signed_cli=/usr/bin/tessaline-cli
    remove_package() {
        ! installed || dpkg -r tessaline-cli >/dev/null 2>&1 || true
        cli_ipp_cleanup
    }
    trap remove_package EXIT
fi

secret="Ans-$RANDOM$RANDOM-p4ss w0rd"
ipp_add_user ans_user "$secret" || e2e_fail "no sign-in on this rig (see RIG_PAM_SERVICE)"
# The job takes 2 s on the printer, and the module waits for its end: time to look at the CLI.
printf '#!/bin/sh\nsleep 2\n' >"$work/slow.sh"
chmod +x "$work/slow.sh"
cli_ipp_printer Ans_Signin -A -c "$work/slow.sh" -f "$IPP_FIRMWARE_FORMATS"
signin=$(cli_ipp_uri Ans_Signin)
ipp_firmware_file "$work/signed.bin" "$ANS_NEW" "" 100000
cat >"$work/signed.yml" <<EOT
- name: Sign-in
  hosts: site_a
  gather_facts: false
  tasks:
    - name: Install the command line
      ansible.builtin.include_role: {name: korvane.tessaline.cli}
      vars: {tessaline_cli_deb: '$deb'}
      when: tessaline_cli_deb | length > 0
    - name: Upgrade with sign-in
      korvane.tessaline.upgrade:
        file: '$work/signed.bin'
        printers: ['ipps://${signin#ipp://}']
        user: ans_user
        password: '$secret'
        encrypt: true
        wait: 20
        cli: '$signed_cli'
      register: signed
    - name: Keep the result
      ansible.builtin.copy: {content: '{{ signed | to_json }}', dest: '$work/signed.json', mode: '0600'}
    - name: Remove the command line
      ansible.builtin.include_role: {name: korvane.tessaline.cli}
      vars: {tessaline_cli_deb: '$deb', tessaline_cli_state: absent}
      when: tessaline_cli_deb | length > 0
EOT

# While the playbook runs: every process's arguments, and the CLI's own arguments, environment
# and password file's mode.
watch_processes() {
    local pid file args
    while [ ! -e "$work/watch.stop" ]; do
        ps -eo pid=,args= >>"$work/ps.txt"
        for pid in $(pgrep -f -- "upgrade $work/signed.bin" || true); do
            # A process that is ending reads as an empty command line.
            args=$(tr '\0' ' ' <"/proc/$pid/cmdline" 2>/dev/null) && [ -n "$args" ] || continue
            echo "$args" >>"$work/cli_args.txt"
            tr '\0' '\n' <"/proc/$pid/environ" >>"$work/cli_env.txt" 2>/dev/null || true
            file=$(sed -nE 's/.*--password-file ([^ ]+).*/\1/p' "$work/cli_args.txt" | tail -n 1)
            [ -z "$file" ] || stat -c '%a %U' "$file" >>"$work/password_mode.txt" 2>/dev/null || true
        done
        sleep 0.02
    done
}
watch_processes &
watcher=$!
attempts_before=$(ipp_sign_in_attempts | grep -c . || true)
ANSIBLE_LOG_PATH=$work/ansible.log ans_play signed "$work/signed.yml" -vvv
touch "$work/watch.stop"
wait "$watcher"
played signed 0
e2e_assert_eq "signed: result" "rc=0 changed=True stage=Completed written=100000" "$(
    "$ANS_PYTHON" -c 'import json, sys
r = json.load(open(sys.argv[1]))
p = r["printers"][0]
print("rc=%s changed=%s stage=%s written=%s" % (r["rc"], r["changed"], p["stage"], p["written"]))' \
        "$work/signed.json")"
# The rig's sign-in log is shared with the tests before this one: only this run's lines count.
e2e_assert_eq "signed: sign-in attempts" "ans_user ok" \
    "$(ipp_sign_in_attempts | tail -n +$((attempts_before + 1)) | sort -u)"
cli_assert_same_file signed "$(cli_only_document signed Ans_Signin)" "$work/signed.bin"
[ -s "$work/cli_args.txt" ] || e2e_fail "signed: the CLI was never seen running"
e2e_assert_eq "signed: the CLI that ran" "$signed_cli" "$(cut -d' ' -f1 "$work/cli_args.txt" | sort -u)"
e2e_assert_eq "signed: the password file's mode and owner" "600 root" \
    "$(sort -u "$work/password_mode.txt")"
password_files=$(sed -nE 's/.*--password-file ([^ ]+).*/\1/p' "$work/cli_args.txt" | sort -u)
e2e_assert_eq "signed: password files" 1 "$(grep -c . <<<"$password_files")"
[ ! -e "$password_files" ] || e2e_fail "signed: $password_files is left behind"
for seen_in in signed.log ansible.log ps.txt cli_args.txt cli_env.txt signed.json; do
    ! grep -qF -- "$secret" "$work/$seen_in" || e2e_fail "signed: the password is in $seen_in"
done
if [ -n "$deb" ]; then
    ! installed || e2e_fail "signed: the role left tessaline-cli installed"
    [ ! -e /var/cache/tessaline-cli ] || e2e_fail "signed: the role left its copy of the .deb"
fi

# ---- nothing of ansible's left behind ----

e2e_assert_eq "ansible's temporary files" "" "$(find "$ANSIBLE_LOCAL_TEMP" "$ANSIBLE_REMOTE_TEMP" -mindepth 1)"
e2e_note "all in $((SECONDS - test_started)) s"
echo "all checks passed"
