# Print sites on this machine for the collection's end-to-end test and its benchmark. A site is
# one host of the inventory (ansible_connection=local) with printers of its own: restarting
# ippeveprinters (tests/lib/ipp_firmware.sh), one reached through a cupsd queue, listed in the
# site's printers file, and its own way of naming the rig's one cupsd. Sourced after
# tests/cli_native/lib/cli_ipp.sh: the collection is installed, and ansible keeps its settings
# and temporary files, under $work.

ANS_OLD=1.0.0
ANS_NEW=2.1.0
ANS_PYTHON=/usr/bin/python3
ANS_COLLECTIONS=$work/collections

# ans_site_server SITE: by address, by name, or the socket itself.
ans_site_server() {
    case $1 in
        site_a) echo "127.0.0.1:$RIG_CUPS_PORT" ;;
        site_b) echo "localhost:$RIG_CUPS_PORT" ;;
        *) echo "$RIG_CUPS_SERVER" ;;
    esac
}

# ans_site_prefix SITE: the printers' names start with it (site_a: Ans_A).
ans_site_prefix() {
    local letter=${1#site_}
    echo "Ans_${letter^^}"
}

# ans_site_start SITE: one printer that takes the file and restarts at its version, one already
# current, and a queue in front of a third that restarts; writes $work/SITE.txt.
ans_site_start() {
    local p
    p=$(ans_site_prefix "$1")
    cli_ipp_firmware printer "${p}_Apply" --component "Module $ANS_OLD" --after apply --hold 1
    cli_ipp_firmware current "${p}_Current" "$ANS_NEW"
    cli_ipp_firmware applying "${p}_Queued" "$ANS_OLD"
    cli_ipp_queue "${p}_Queue" "${p}_Queued"
    {
        echo "# $1"
        cli_ipp_uri "${p}_Apply"
        echo
        cli_ipp_uri "${p}_Current"
        echo "${p}_Queue"
    } >"$work/$1.txt"
}

# ans_inventory SITE...: the print servers, written to $work/inventory.yml. Each has its own copy
# of the upgrade file, as a print server would: the CLI holds the file it sends locked, so a
# second run on one machine could not open it.
ans_inventory() {
    local site
    {
        echo "print_servers:"
        echo "  vars: {ansible_connection: local, ansible_python_interpreter: $ANS_PYTHON," \
            "tessaline_cli: '$CLI'}"
        echo "  hosts:"
        for site in "$@"; do
            echo "    $site: {tessaline_printers_file: '$work/$site.txt'," \
                "tessaline_server: '$(ans_site_server "$site")', ans_file: '$work/$site.bin'}"
            cp "$work/upgrade.bin" "$work/$site.bin"
        done
    } >"$work/inventory.yml"
}

# The released collection when there is one, else one built from this checkout; installed as
# ansible-galaxy installs it. Ansible reads no file of the machine's and writes under $work.
ans_install_collection() {
    local tarballs=()
    export ANSIBLE_CONFIG=$work/ansible.cfg ANSIBLE_HOME=$work/ansible-home
    export ANSIBLE_COLLECTIONS_PATH=$ANS_COLLECTIONS ANSIBLE_LOCAL_TEMP=$work/tmp-local
    export ANSIBLE_REMOTE_TEMP=$work/tmp-remote ANSIBLE_NOCOLOR=1 ANSIBLE_RETRY_FILES_ENABLED=0
    export ANSIBLE_LOCALHOST_WARNING=0 ANSIBLE_FORKS=3
    : >"$ANSIBLE_CONFIG"
    mkdir -p "$ANSIBLE_LOCAL_TEMP" "$ANSIBLE_REMOTE_TEMP"
    if [ -n "${TESSALINE_DIST:-}" ]; then
        tarballs=("$TESSALINE_DIST"/korvane-tessaline-*.tar.gz)
    else
        # shellcheck source=scripts/lib/release_collection.sh
        source "$E2E_ROOT/scripts/lib/release_collection.sh"
        release_collection "$work/dist" >"$work/collection.log" 2>&1 ||
            e2e_fail "cannot build the collection: $(tail -n 5 "$work/collection.log")"
        tarballs=("$work"/dist/korvane-tessaline-*.tar.gz)
    fi
    [ -f "${tarballs[0]}" ] && [ "${#tarballs[@]}" -eq 1 ] ||
        e2e_fail "not one collection tarball: ${tarballs[*]}"
    ANS_TARBALL=${tarballs[0]}
    ansible-galaxy collection install "$ANS_TARBALL" -p "$ANS_COLLECTIONS" \
        >"$work/install.log" 2>&1 || e2e_fail "cannot install $ANS_TARBALL: $(cat "$work/install.log")"
}

# ans_play NAME [ansible-playbook ARGS...]: sets ANS_RC and ANS_SECONDS; both streams to
# $work/NAME.log. Queues resolve only through each site's server: CUPS_SERVER names no scheduler.
ans_play() {
    local log=$work/$1.log started=$EPOCHREALTIME
    shift
    ANS_RC=0
    CUPS_SERVER=$work/no-scheduler.sock ansible-playbook -i "$work/inventory.yml" "$@" \
        </dev/null >"$log" 2>&1 || ANS_RC=$?
    ANS_SECONDS=$(awk -v a="$started" -v b="$EPOCHREALTIME" 'BEGIN { printf "%.2f", b - a }')
}

# ans_fleet NAME [ARGS...]: the example playbook over the sites, each with its copy of the file.
ans_fleet() {
    local name=$1
    shift
    ans_play "$name" korvane.tessaline.upgrade_sites -e 'tessaline_file={{ ans_file }}' \
        -e "tessaline_sha256=$(sha256sum "$work/upgrade.bin" | cut -d' ' -f1)" \
        -e "tessaline_version=$ANS_NEW" -e "tessaline_report=$work/report.json" "$@"
}
