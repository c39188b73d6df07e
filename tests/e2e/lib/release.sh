# Helpers for the tests of the release artifacts (tests/e2e/release_*.sh). Sourced after
# lib/e2e.sh and lib/app.sh. The artifacts come from TESSALINE_DIST (scripts/test sets it to
# the release it has just checked for reproducibility), else from dist/.

# shellcheck source=scripts/lib/release.sh
source "$E2E_ROOT/scripts/lib/release.sh"

REL_DIST=${TESSALINE_DIST:-$E2E_ROOT/dist}
REL_VERSION=$(release_version)
REL_BASE=Tessaline-$REL_VERSION-win64
REL_ZIP=$REL_DIST/$REL_BASE.zip
REL_MSI=$REL_DIST/$REL_BASE.msi
REL_DEB=$REL_DIST/tessaline-cli_${REL_VERSION}_amd64.deb
REL_UNINSTALL_KEY='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall'
REL_INSTALL_DIR="${WINEPREFIX:-}/drive_c/Program Files/Korvane/Tessaline"

# scripts/test always names its release, so a missing one fails there; a developer's run of the
# whole suite without a dist/ skips these tests and says so.
if [ ! -f "$REL_ZIP" ] || [ ! -f "$REL_MSI" ]; then
    if [ -n "${TESSALINE_DIST:-}" ]; then
        e2e_fail "no release in $REL_DIST"
    fi
    echo "[$E2E_NAME] SKIPPED: no release in $REL_DIST; run scripts/release first" >&2
    exit 0
fi

# True when this checkout builds the command line, so its absence from a package is a fault
# and not a skip.
rel_checkout_has_cli() { [ -f "$E2E_ROOT/src/cli/CMakeLists.txt" ]; }

# rel_skip WHAT WHY: says plainly that a check did not run.
rel_skip() { echo "[$E2E_NAME] SKIPPED: $1 ($2)" >&2; }

# rel_unzip DIR: the release zip unpacked into DIR.
rel_unzip() {
    mkdir -p "$1"
    unzip -q "$REL_ZIP" -d "$1" || e2e_fail "cannot unpack $REL_ZIP"
}

# The files a Windows package must hold, in the zip's order.
rel_expected_files() {
    echo Tessaline.exe
    if [ -n "${1:-}" ]; then echo tessaline-cli.exe; fi
    printf '%s\n' README.txt LICENSE.txt
}

# rel_assert_version_record EXE: the exe's version record, read back by windres.
rel_assert_version_record() {
    local rc line
    rc=$(x86_64-w64-mingw32-windres "$1" -O rc 2>/dev/null) || e2e_fail "cannot read $1's resources"
    for line in ' FILEVERSION 3, 1, 0, 0' ' PRODUCTVERSION 3, 1, 0, 0' \
        '      VALUE "FileDescription", "Tessaline Application"' \
        "      VALUE \"FileVersion\", \"$REL_VERSION\"" \
        "      VALUE \"ProductName\", \"Tessaline $REL_VERSION by Korvane\"" \
        '      VALUE "ProductVersion", "3.1"'; do
        grep -qxF "$line" <<<"$rc" || e2e_fail "version record of $1 lacks '$line'"
    done
}

# The products of ours that Windows Installer lists: "{CODE}<TAB>NAME<TAB>VERSION" each.
rel_installed_products() {
    local key name
    wine reg query "$REL_UNINSTALL_KEY" </dev/null 2>/dev/null | tr -d '\r' | grep '\\Uninstall\\' |
        while read -r key; do
            name=$(e2e_reg_query "$key" DisplayName 2>/dev/null) || continue
            case "$name" in
                Tessaline*) printf '%s\t%s\t%s\n' "${key##*\\}" "$name" \
                    "$(e2e_reg_query "$key" DisplayVersion)" ;;
            esac
        done
}

# The Start menu shortcut's files. Windows puts a per-machine shortcut in the common Start menu
# (ProgramData); Wine 8's installer puts it in the user's own.
rel_start_menu_links() {
    find "$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs" \
        "$WINEPREFIX"/drive_c/users/*/AppData/Roaming/Microsoft/Windows/Start\ Menu/Programs \
        -maxdepth 1 -name 'Tessaline.lnk' 2>/dev/null
}

rel_msiexec() {
    local out
    out=$(wine msiexec "$@" /qn </dev/null 2>&1) || e2e_fail "msiexec $* failed: $out"
}
