#!/usr/bin/env bash
# The MSI under Wine's msiexec, quietly: it installs the files, the Start menu shortcut and
# the version record per machine; the installed program prints a forms test with the settings
# stored through its Print Setup; the installed command line lists the printers; a newer
# version installs over it as one product; uninstalling removes every file and leaves the
# settings in HKCU.
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib/e2e.sh"
source "$here/lib/app.sh"
source "$here/lib/release.sh"

app_work_dir release_msi
cli=
unzip_dir=$work/zip
rel_unzip "$unzip_dir"
[ ! -f "$unzip_dir/tessaline-cli.exe" ] || cli=yes
msi_version=$(release_msi_version "$REL_VERSION")

cleanup_install() {
    local product
    for product in $(rel_installed_products | cut -f1); do
        wine msiexec /x "$product" /qn </dev/null >/dev/null 2>&1 || true
    done
}
trap 'cleanup_install; e2e_cleanup; rm -rf "$work"' EXIT
cleanup_install
[ ! -e "$REL_INSTALL_DIR" ] || e2e_fail "$REL_INSTALL_DIR exists before the install"
e2e_reg_delete_key "$APP_KEY"

# assert_installed WHAT MSI_VERSION: exactly our files, byte for byte those of the zip, the
# shortcut to the window, and one product of ours at that version.
assert_installed() {
    local what=$1 version=$2 file links code
    e2e_assert_eq "$what: installed files" "$(rel_expected_files "$cli" | LC_ALL=C sort)" \
        "$(cd "$REL_INSTALL_DIR" && find . -type f -printf '%P\n' | LC_ALL=C sort)"
    while read -r file; do
        cmp -s "$REL_INSTALL_DIR/$file" "$unzip_dir/$file" ||
            e2e_fail "$what: installed $file differs from the zip's"
    done < <(rel_expected_files "$cli")
    links=$(rel_start_menu_links)
    e2e_assert_eq "$what: Start menu shortcuts" 1 "$(grep -c . <<<"$links")"
    grep -qaF 'C:\Program Files\Korvane\Tessaline\Tessaline.exe' "$links" ||
        e2e_fail "$what: the shortcut does not point at the installed Tessaline.exe"
    code=$(release_uuid "$RELEASE_UPGRADE_CODE product $version")
    e2e_assert_eq "$what: installed products" \
        "{$code}"$'\t'"Tessaline ${version%.0} by Korvane"$'\t'"$version" "$(rel_installed_products)"
}

e2e_note "install $REL_MSI"
rel_msiexec /i "$(win_path "$REL_MSI")"
assert_installed "first install" "$msi_version"
rel_assert_version_record "$REL_INSTALL_DIR/Tessaline.exe"

# The installed program: Print Setup stores A4 landscape, and a forms test uses it.
TESSALINE_EXE=$REL_INSTALL_DIR/Tessaline.exe
app_start
setup_open
drv select "$SETUP_CAPTION" "$IDC_SETUP_PAGE_SIZE" --text "A4 (210 mm x 297 mm)"
drv select "$SETUP_CAPTION" "$IDC_SETUP_ORIENTATION" --text "Landscape"
setup_press "$IDOK"
before=$(e2e_job_count "$RIG_QUEUE_VIRTUAL")
app_print_forms "$RIG_QUEUE_VIRTUAL" 2
e2e_wait_jobs "$RIG_QUEUE_VIRTUAL" "$before" 1 30
e2e_assert_job_hex "$(e2e_job_file "$RIG_QUEUE_VIRTUAL" $((before + 1)))" \
    "1b 45 1b 26 6c 32 36 61 31 4f 1b 26 66 32 79 33 58 0c"
app_exit
e2e_assert_reg "$APP_SETTINGS_KEY" "Page Size" 0x4
e2e_assert_reg "$APP_SETTINGS_KEY" "Page Orientation" 0x1

# The installed command line sees the same printers as the window.
if [ -n "$cli" ]; then
    e2e_assert_eq "printers listed by the installed tessaline-cli.exe" \
        "$(LC_ALL=C sort <<<"$RIG_PRINTER_LIST")" \
        "$(e2e_wine "$REL_INSTALL_DIR/tessaline-cli.exe" printers | LC_ALL=C sort)"
elif rel_checkout_has_cli; then
    e2e_fail "this checkout has src/cli, but the MSI holds no tessaline-cli.exe"
else
    rel_skip "the installed tessaline-cli.exe lists the printers" \
        "this checkout has no tessaline-cli, so the release does not ship it"
fi

# A newer version (bumped here) replaces the installed one: one product, the newer one.
newer_version=$(awk -F. '{print $1 "." $2 + 1}' <<<"$REL_VERSION")
newer_msi=$work/newer.msi
SOURCE_DATE_EPOCH=$(release_source_date_epoch)
export SOURCE_DATE_EPOCH
release_msi "$unzip_dir" "$newer_version" "$(release_msi_version "$newer_version")" \
    "${cli:-no}" "$newer_msi" "$work/msi" >/dev/null || e2e_fail "cannot build the newer MSI"
e2e_note "upgrade to $newer_version"
rel_msiexec /i "$(win_path "$newer_msi")"
assert_installed "upgrade to $newer_version" "$(release_msi_version "$newer_version")"

# Uninstalling removes everything it installed, the maker's folder included, and leaves the
# settings stored through Print Setup.
rel_msiexec /x "$(win_path "$newer_msi")"
[ ! -e "$REL_INSTALL_DIR" ] || e2e_fail "uninstall left $REL_INSTALL_DIR: $(ls -A "$REL_INSTALL_DIR")"
[ ! -e "$(dirname "$REL_INSTALL_DIR")" ] || e2e_fail "uninstall left the Korvane folder"
e2e_assert_eq "Start menu shortcuts after uninstall" "" "$(rel_start_menu_links)"
e2e_assert_eq "products after uninstall" "" "$(rel_installed_products)"
e2e_assert_reg "$APP_SETTINGS_KEY" "Page Size" 0x4
e2e_assert_reg "$APP_SETTINGS_KEY" "Page Orientation" 0x1
app_reset_settings
