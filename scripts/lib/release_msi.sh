# The Windows installer, made with wixl from packaging/tessaline.wxs. Sourced by
# scripts/lib/release.sh and by the release tests, which build a newer one to upgrade to.
#
# wixl writes the build time into the summary information and picks a random package code
# (and, for Id="*", a random product code). Here the product code follows from the version,
# the package code from the MSI's whole input, and wixl runs on a clock stopped at
# SOURCE_DATE_EPOCH, so the same input gives the same MSI.

RELEASE_UPGRADE_CODE=392E7F24-0239-4026-9740-B2AB8C79332B

# release_uuid TEXT: a name-based UUID (version 5 layout) from the SHA-256 of TEXT.
release_uuid() {
    local h
    h=$(printf '%s' "$1" | sha256sum | cut -c1-32 | tr a-f A-F)
    local variant
    variant=$(printf '%X' $(((0x${h:16:1} & 0x3) | 0x8)))
    printf '%s-%s-5%s-%s%s-%s\n' "${h:0:8}" "${h:8:4}" "${h:13:3}" "$variant" "${h:17:3}" \
        "${h:20:12}"
}

# release_msi STAGE VERSION MSI_VERSION CLI(yes|no) OUT WORK: STAGE holds Tessaline.exe,
# README.txt, LICENSE.txt and, with CLI=yes, tessaline-cli.exe.
release_msi() {
    local stage=$1 version=$2 msi_version=$3 cli=$4 out=$5 work=$6
    local files=(Tessaline.exe README.txt LICENSE.txt) defines=() file
    [ "$cli" = no ] || files+=(tessaline-cli.exe)
    rm -rf "$work"
    mkdir -p "$work"
    # wixl takes sources relative to the folder it runs in; absolute ones it does not find.
    for file in "${files[@]}"; do
        cp -p "$stage/$file" "$work/$file" || return 1
    done
    cp "$RELEASE_ROOT/packaging/tessaline.wxs" "$work/tessaline.wxs"
    # The program's own icon for Programs and Features.
    cp "$RELEASE_ROOT/src/ui/art/tessaline.ico" "$work/tessaline.ico"
    [ "$cli" = no ] || defines+=(-D Cli=yes)

    local product_code package_code inputs
    product_code=$(release_uuid "$RELEASE_UPGRADE_CODE product $msi_version")
    inputs=$(cd "$work" && sha256sum tessaline.wxs tessaline.ico "${files[@]}")
    package_code=$(release_uuid "$RELEASE_UPGRADE_CODE package $msi_version $cli $inputs")

    local clock
    clock=$(date -u -d "@$SOURCE_DATE_EPOCH" '+%Y-%m-%d %H:%M:%S')
    (
        cd "$work" &&
            TZ=UTC faketime -f "$clock" wixl -a x64 -D "Version=$version" \
                -D "MsiVersion=$msi_version" -D "ProductCode=$product_code" "${defines[@]}" \
                -o package.msi tessaline.wxs &&
            TZ=UTC faketime -f "$clock" msibuild package.msi -s "Tessaline $version by Korvane" \
                Korvane "x64;1033" "{$package_code}"
    ) >"$work/wixl.log" 2>&1 || {
        cat "$work/wixl.log" >&2
        release_log "wixl failed"
        return 1
    }
    mv -f "$work/package.msi" "$out"
    touch -d "@$SOURCE_DATE_EPOCH" "$out"
}
