# The release: builds the Windows program and, when this checkout has it, the command line,
# then packs them and the Ansible collection into dist/. Sourced by scripts/release and by the
# release tests.
#
# Read when set:
#   TESSALINE_DIST                  where the artifacts go (default dist)
#   TESSALINE_RELEASE_BUILD         the build folders' parent (default build/release)
#   TESSALINE_SIGN_CERT, TESSALINE_SIGN_KEY
#                                   a code-signing certificate and its key (PEM or DER paths);
#                                   both given: the exes and the MSI are signed
#   SOURCE_DATE_EPOCH               the time written into archives (default: the commit's)
#
# Every artifact depends only on the commit: paths are mapped away, times come from
# SOURCE_DATE_EPOCH, and anything random (MSI codes) is derived from the contents.

RELEASE_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
# shellcheck source=scripts/lib/release_msi.sh
source "$RELEASE_ROOT/scripts/lib/release_msi.sh"
# shellcheck source=scripts/lib/release_deb.sh
source "$RELEASE_ROOT/scripts/lib/release_deb.sh"
# shellcheck source=scripts/lib/release_collection.sh
source "$RELEASE_ROOT/scripts/lib/release_collection.sh"

release_log() { echo "release: $*" >&2; }

# The version users see, from the one line that holds it.
release_version() {
    sed -n 's/^#define TESSALINE_VERSION \([0-9][0-9]*\.[0-9][0-9]*\)$/\1/p' \
        "$RELEASE_ROOT/src/version.h"
}

# Windows Installer wants three numbers: 3.2 becomes 3.2.0.
release_msi_version() { echo "$1.0"; }

release_source_date_epoch() {
    if [ -n "${SOURCE_DATE_EPOCH:-}" ]; then
        echo "$SOURCE_DATE_EPOCH"
    else
        git -C "$RELEASE_ROOT" log -1 --format=%ct
    fi
}

# A checkout with changes would give artifacts no commit describes.
release_require_clean() {
    local changes
    changes=$(git -C "$RELEASE_ROOT" status --porcelain --untracked-files=no)
    if [ -n "$changes" ]; then
        release_log "the checkout has uncommitted changes; commit them first:"
        printf '%s\n' "$changes" >&2
        return 1
    fi
}

# release_has_target BUILD_DIR TARGET
release_has_target() {
    local targets
    targets=$(cmake --build "$1" --target help 2>/dev/null) || return 1
    grep -qxF "... $2" <<<"$targets"
}

# release_built BUILD_DIR FILE: where the build put FILE, the top of the folder first.
release_built() {
    local found
    if [ -f "$1/$2" ]; then
        echo "$1/$2"
        return 0
    fi
    found=$(find "$1" -name "$2" -type f -perm -u+x -not -path '*/CMakeFiles/*' | LC_ALL=C sort |
        head -n 1)
    [ -n "$found" ] || {
        release_log "the build left no $2 in $1"
        return 1
    }
    echo "$found"
}

# release_configure PRESET DIR
release_configure() {
    cmake --preset "$1" -B "$2" >"$2.configure.log" 2>&1 || {
        cat "$2.configure.log" >&2
        release_log "configuring $1 failed"
        return 1
    }
}

release_build_targets() {
    local dir=$1
    shift
    cmake --build "$dir" -j2 --target "$@" >"$dir.build.log" 2>&1 || {
        tail -n 40 "$dir.build.log" >&2
        release_log "building $* in $dir failed"
        return 1
    }
}

# Files in the packages get fixed modes and the commit's time, whatever the umask and clock.
release_normalize() {
    local file
    for file in "$@"; do
        if [ -x "$file" ]; then chmod 0755 "$file"; else chmod 0644 "$file"; fi
        touch -h -d "@$SOURCE_DATE_EPOCH" "$file"
    done
}

# LF to CRLF, for the text files Windows users open in Notepad.
release_crlf() { sed 's/\r$//; s/$/\r/' "$1" >"$2"; }

release_signing_requested() {
    [ -n "${TESSALINE_SIGN_CERT:-}" ] || [ -n "${TESSALINE_SIGN_KEY:-}" ]
}

# release_sign FILE DESCRIPTION: signs in place with osslsigncode. The signing time is the
# commit's, so signing with the same key gives the same bytes again.
release_sign() {
    local file=$1 description=$2 time_args=()
    if osslsigncode sign --help 2>&1 | grep -q -- '-time '; then
        time_args=(-time "$SOURCE_DATE_EPOCH")
    fi
    osslsigncode sign -certs "$TESSALINE_SIGN_CERT" -key "$TESSALINE_SIGN_KEY" -h sha256 \
        -n "$description" -i "https://www.korvane.example" "${time_args[@]}" \
        -in "$file" -out "$file.signed" >"$file.sign.log" 2>&1 || {
        cat "$file.sign.log" >&2
        release_log "signing $file failed"
        return 1
    }
    mv -f "$file.signed" "$file"
    rm -f "$file.sign.log"
}

# release_zip ZIP DIR FILE...: the files at the top of the archive, in the order given, with
# no extra fields (-X: no Unix owners or times beyond the DOS time, which TZ=UTC fixes).
release_zip() {
    local zip=$1 dir=$2
    shift 2
    rm -f "$zip"
    (cd "$dir" && TZ=UTC zip -q -X -D -9 "$zip" "$@")
}

# release_sums DIST: SHA256SUMS over every artifact, sorted by name.
release_sums() {
    (cd "$1" && find . -maxdepth 1 -type f ! -name SHA256SUMS -printf '%f\n' | LC_ALL=C sort |
        xargs -r sha256sum >SHA256SUMS)
}

release_main() {
    local version msi_version dist build win_dir linux_dir stage left_out=() cli=no
    version=$(release_version)
    if [ -z "$version" ]; then
        release_log "no '#define TESSALINE_VERSION' line in src/version.h"
        return 1
    fi
    msi_version=$(release_msi_version "$version")
    SOURCE_DATE_EPOCH=$(release_source_date_epoch)
    export SOURCE_DATE_EPOCH TZ=UTC LC_ALL=C
    umask 022
    dist=${TESSALINE_DIST:-$RELEASE_ROOT/dist}
    build=${TESSALINE_RELEASE_BUILD:-$RELEASE_ROOT/build/release}
    win_dir=$build/windows
    linux_dir=$build/linux
    stage=$build/stage
    release_log "Tessaline $version (MSI $msi_version), commit time $SOURCE_DATE_EPOCH"

    if release_signing_requested; then
        if [ ! -f "${TESSALINE_SIGN_CERT:-}" ] || [ ! -f "${TESSALINE_SIGN_KEY:-}" ]; then
            release_log "TESSALINE_SIGN_CERT and TESSALINE_SIGN_KEY must both name files"
            return 1
        fi
    fi

    mkdir -p "$build"
    release_configure windows-release "$win_dir" || return 1
    local win_targets=(Tessaline)
    if release_has_target "$win_dir" tessaline-cli; then
        win_targets+=(tessaline-cli)
        cli=yes
    else
        left_out+=("tessaline-cli.exe: this checkout has no tessaline-cli target")
    fi
    release_build_targets "$win_dir" "${win_targets[@]}" || return 1

    rm -rf "$stage" "$dist"
    mkdir -p "$stage/win64" "$dist"
    # The preset links them stripped (-s): strip run afterwards would stamp the PE header with
    # the current time.
    local exes=(Tessaline.exe) exe
    [ "$cli" = no ] || exes+=(tessaline-cli.exe)
    for exe in "${exes[@]}"; do
        cp "$(release_built "$win_dir" "$exe")" "$stage/win64/$exe" || return 1
    done
    sed "s/@VERSION@/$version/g" "$RELEASE_ROOT/packaging/README.txt" >"$stage/README.txt"
    release_crlf "$stage/README.txt" "$stage/win64/README.txt"
    release_crlf "$RELEASE_ROOT/LICENSE" "$stage/win64/LICENSE.txt"

    local files=("${exes[@]}" README.txt LICENSE.txt)
    if release_signing_requested; then
        release_sign "$stage/win64/Tessaline.exe" "Tessaline" || return 1
        if [ "$cli" = yes ]; then
            release_sign "$stage/win64/tessaline-cli.exe" "Tessaline command line" || return 1
        fi
    fi
    (cd "$stage/win64" && release_normalize "${files[@]}")

    local base=Tessaline-$version-win64
    release_zip "$dist/$base.zip" "$stage/win64" "${files[@]}" || return 1
    release_msi "$stage/win64" "$version" "$msi_version" "$cli" "$dist/$base.msi" "$build/msi" ||
        return 1
    if release_signing_requested; then
        release_sign "$dist/$base.msi" "Tessaline $version" || return 1
    fi

    if [ "$cli" = yes ]; then
        release_configure linux-release "$linux_dir" || return 1
        if release_has_target "$linux_dir" tessaline-cli; then
            release_build_targets "$linux_dir" tessaline-cli || return 1
            release_deb "$(release_built "$linux_dir" tessaline-cli)" \
                "$RELEASE_ROOT/docs/tessaline-cli.1" \
                "$version" "$build/deb" "$dist" || return 1
        else
            left_out+=("tessaline-cli_${version}_amd64.deb: no native tessaline-cli target")
        fi
    else
        left_out+=("tessaline-cli_${version}_amd64.deb: this checkout has no tessaline-cli")
    fi

    release_collection "$dist" >/dev/null || return 1

    release_sums "$dist"
    release_log "made in $dist:"
    (cd "$dist" && ls -l --time-style=+ | sed '1d; s/^/  /' >&2)
    if release_signing_requested; then
        release_log "signed with $TESSALINE_SIGN_CERT"
    else
        release_log "UNSIGNED: set TESSALINE_SIGN_CERT and TESSALINE_SIGN_KEY to sign the exes" \
            "and the MSI"
    fi
    local item
    for item in "${left_out[@]}"; do
        release_log "LEFT OUT $item"
    done
}
