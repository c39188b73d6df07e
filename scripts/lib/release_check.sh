# Checks of the release run by scripts/test, each counted as one test. Sourced after
# scripts/lib/release.sh.

# release_check_reproducible WORK: two clean clones of HEAD, in folders of different depth and
# name, released one after the other (so at different times) under a different umask and time
# zone, must give the same SHA256SUMS, and each file must match it. The first clone's dist/ is
# left in WORK/a/dist for the tests that install it.
release_check_reproducible() {
    local work=$1 head
    head=$(git -C "$RELEASE_ROOT" rev-parse HEAD) || return 1
    rm -rf "$work"
    mkdir -p "$work/b/second/clone"
    git clone -q --no-checkout "$RELEASE_ROOT" "$work/a" &&
        git -C "$work/a" checkout -q --detach "$head" &&
        git clone -q --no-checkout "$RELEASE_ROOT" "$work/b/second/clone/tessaline" &&
        git -C "$work/b/second/clone/tessaline" checkout -q --detach "$head" || return 1
    release_log "reproducibility: release in $work/a"
    (cd "$work/a" && umask 022 && TZ=UTC release_clean_env scripts/release) || return 1
    release_log "reproducibility: release in $work/b/second/clone/tessaline"
    (cd "$work/b/second/clone/tessaline" && umask 077 && TZ=Pacific/Kiritimati \
        release_clean_env scripts/release) || return 1
    local sums_a=$work/a/dist/SHA256SUMS sums_b=$work/b/second/clone/tessaline/dist/SHA256SUMS
    if ! cmp -s "$sums_a" "$sums_b"; then
        release_log "the two releases differ:"
        diff "$sums_a" "$sums_b" >&2
        return 1
    fi
    (cd "$work/a/dist" && sha256sum --quiet -c SHA256SUMS) &&
        (cd "$work/b/second/clone/tessaline/dist" && sha256sum --quiet -c SHA256SUMS) || return 1
    [ "$(grep -c . "$sums_a")" -ge 2 ] || {
        release_log "SHA256SUMS lists fewer than the zip and the MSI"
        return 1
    }
    release_log "reproducible: $(wc -l <"$sums_a") artifacts, identical SHA256SUMS"
    cat "$sums_a" >&2
}

# Runs a command without the variables that would send a clone's release elsewhere or sign it.
release_clean_env() {
    env -u TESSALINE_DIST -u TESSALINE_RELEASE_BUILD -u TESSALINE_SIGN_CERT \
        -u TESSALINE_SIGN_KEY "$@"
}

# release_check_signing CLONE WORK: CLONE has been released once (unsigned). Signs a release of
# the same build with a throwaway self-signed certificate and checks that every signature
# verifies against it, that removing the signatures gives back the unsigned files, and that
# the script says which run was signed.
release_check_signing() {
    local clone=$1 work=$2
    rm -rf "$work"
    mkdir -p "$work/unzipped" "$work/unsigned"
    openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Tessaline test signing" \
        -keyout "$work/key.pem" -out "$work/cert.pem" >/dev/null 2>&1 || return 1
    local log=$work/release.log
    (cd "$clone" && release_clean_env TESSALINE_DIST="$work/dist" \
        TESSALINE_SIGN_CERT="$work/cert.pem" TESSALINE_SIGN_KEY="$work/key.pem" scripts/release) \
        >"$log" 2>&1 || {
        cat "$log" >&2
        return 1
    }
    grep -q "^release: signed with $work/cert.pem$" "$log" || {
        release_log "the signed release did not say it signed"
        return 1
    }
    grep -q '^release: UNSIGNED' "$log" && return 1
    local version base
    version=$(release_version)
    base=Tessaline-$version-win64
    unzip -q "$work/dist/$base.zip" -d "$work/unzipped" &&
        unzip -q "$clone/dist/$base.zip" -d "$work/unsigned" || return 1
    local file failures=0
    for file in "$work/unzipped"/*.exe "$work/dist/$base.msi"; do
        if ! osslsigncode verify -CAfile "$work/cert.pem" -in "$file" >"$work/verify.log" 2>&1; then
            release_log "signature of $(basename "$file") does not verify:"
            cat "$work/verify.log" >&2
            failures=$((failures + 1))
        fi
    done
    for file in "$work/unzipped"/*.exe; do
        osslsigncode remove-signature -in "$file" -out "$file.bare" >/dev/null 2>&1 &&
            cmp -s "$file.bare" "$work/unsigned/$(basename "$file")" || {
            release_log "$(basename "$file") without its signature differs from the unsigned one"
            failures=$((failures + 1))
        }
    done
    if osslsigncode verify -CAfile "$work/cert.pem" -in "$work/unsigned/Tessaline.exe" \
        >/dev/null 2>&1; then
        release_log "the unsigned release's Tessaline.exe claims a signature"
        failures=$((failures + 1))
    fi
    [ "$failures" -eq 0 ]
}

# release_check_clang: the Windows program (and its command line, when present) built by Clang
# with warnings, the linker's too, as errors.
release_check_clang() {
    local dir=${TESSALINE_CLANG_BUILD:-$RELEASE_ROOT/build/windows-clang} targets=(Tessaline)
    cmake --preset windows-clang -B "$dir" >/dev/null || return 1
    if release_has_target "$dir" tessaline-cli; then
        targets+=(tessaline-cli)
    fi
    cmake --build "$dir" -j2 --target "${targets[@]}"
}
