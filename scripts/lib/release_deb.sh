# The Debian package of the native command line. Sourced by scripts/lib/release.sh.
# Built by hand rather than through debian/rules: one binary, a man page and the two files
# Debian policy asks for; dpkg-shlibdeps finds the dependencies (libcups2, libc6).

# release_deb BINARY MANPAGE VERSION WORK DIST
release_deb() {
    local binary=$1 manpage=$2 version=$3 work=$4 dist=$5
    local root=$work/root doc=$work/root/usr/share/doc/tessaline-cli
    rm -rf "$work"
    mkdir -p "$root/DEBIAN" "$root/usr/bin" "$doc" "$work/shlibs/debian"

    # As dh_strip does: no symbols, no compiler notes.
    strip --remove-section=.comment --remove-section=.note --strip-unneeded \
        -o "$root/usr/bin/tessaline-cli" "$binary" || return 1
    chmod 0755 "$root/usr/bin/tessaline-cli"
    if [ -f "$manpage" ]; then
        mkdir -p "$root/usr/share/man/man1"
        gzip -9nc "$manpage" >"$root/usr/share/man/man1/tessaline-cli.1.gz"
    else
        left_out+=("the man page in the .deb: $manpage is missing (so lintian's no-manual-page is let through)")
    fi
    cp "$RELEASE_ROOT/packaging/deb/copyright" "$doc/copyright"
    {
        printf 'tessaline-cli (%s) stable; urgency=medium\n\n' "$version"
        printf '  * Tessaline %s; see CHANGELOG.md in the source.\n\n' "$version"
        printf ' -- Korvane <support@korvane.example>  %s\n' \
            "$(date -u -R -d "@$SOURCE_DATE_EPOCH")"
    } | gzip -9n >"$doc/changelog.gz"

    local depends
    printf 'Source: tessaline\n\nPackage: tessaline-cli\nArchitecture: amd64\n' \
        >"$work/shlibs/debian/control"
    depends=$(cd "$work/shlibs" && dpkg-shlibdeps -O "-e$root/usr/bin/tessaline-cli" |
        sed -n 's/^shlibs:Depends=//p') || return 1
    if [ -z "$depends" ]; then
        release_log "dpkg-shlibdeps found no dependencies for tessaline-cli"
        return 1
    fi

    find "$root" -path "$root/DEBIAN" -prune -o -type d -exec chmod 0755 {} +
    find "$root/usr" -type f ! -path '*/usr/bin/*' -exec chmod 0644 {} +
    local size
    size=$(find "$root/usr" -type f -printf '%s\n' | awk '{k += int(($1 + 1023) / 1024)} END {print k}')
    sed -e "s/@VERSION@/$version/" -e "s/@INSTALLED_SIZE@/$size/" -e "s/@DEPENDS@/$depends/" \
        "$RELEASE_ROOT/packaging/deb/control" >"$root/DEBIAN/control"
    (cd "$root" && find usr -type f | LC_ALL=C sort | xargs md5sum >DEBIAN/md5sums)
    chmod 0644 "$root/DEBIAN/control" "$root/DEBIAN/md5sums"
    find "$root" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +

    local deb=$dist/tessaline-cli_${version}_amd64.deb
    dpkg-deb --root-owner-group -Zxz --threads-max=1 --build "$root" "$deb" >/dev/null || return 1
    if [ -f "$manpage" ]; then
        release_lintian "$deb"
    else
        release_lintian "$deb" --suppress-tags no-manual-page
    fi
}

# Errors and warnings fail the release; informational tags are shown.
# release_lintian DEB [LINTIAN_OPTIONS...]
release_lintian() {
    local deb=$1 out
    shift
    out=$(lintian --fail-on error,warning --info "$@" "$deb" 2>&1) || {
        printf '%s\n' "$out" >&2
        release_log "lintian rejects $(basename "$deb")"
        return 1
    }
    out=$(grep -v 'running with root privileges' <<<"$out" || true)
    [ -z "$out" ] || printf 'lintian: %s\n' "$out" >&2
}
