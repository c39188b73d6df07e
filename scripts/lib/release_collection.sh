# The Ansible collection korvane.tessaline as a tarball ansible-galaxy installs. Sourced by
# scripts/lib/release.sh; the tests may source this file alone.
#
# ansible-galaxy writes the manifests; the tarball is then packed again so that it depends only
# on the commit: its FILES.json lists files in the order the folder happens to give them, and its
# tar and gzip headers carry the build's clock and user.

# release_collection OUT_DIR: writes OUT_DIR/korvane-tessaline-VERSION.tar.gz and prints its path.
release_collection() {
    local out=$1 lib work version epoch tarball
    lib=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
    # shellcheck source=scripts/lib/release.sh
    declare -F release_version >/dev/null || source "$lib/release.sh"
    # Galaxy wants three numbers: 3.2 becomes 3.2.0.
    version=$(release_version).0
    epoch=${SOURCE_DATE_EPOCH:-$(release_source_date_epoch)}
    mkdir -p "$out" || return 1
    out=$(cd "$out" && pwd)
    work=$(mktemp -d) || return 1
    (
        set -e
        trap 'rm -rf "$work"' EXIT
        umask 022
        # Only the files git knows: nothing left lying in the folder gets into the release.
        local src=$RELEASE_ROOT/packaging/ansible
        mkdir "$work/src"
        git -C "$src" ls-files -z | tar -C "$src" --null -T - -cf - | tar -C "$work/src" -xf -
        cp "$RELEASE_ROOT/LICENSE" "$work/src/LICENSE"
        sed -i "s/^version: .*/version: $version/" "$work/src/galaxy.yml"
        # Its own HOME: ansible-galaxy leaves a cache and temporary folders there. It refuses to
        # run in a locale that is not UTF-8, as the release's C is.
        HOME=$work/home LC_ALL=C.UTF-8 ansible-galaxy collection build --output-path "$work/built" "$work/src" \
            >"$work/build.log" 2>&1 || {
            cat "$work/build.log" >&2
            false
        }
        tarball=korvane-tessaline-$version.tar.gz
        mkdir "$work/tree"
        tar -xzf "$work/built/$tarball" -C "$work/tree"
        release_collection_sort_manifest "$work/tree"
        find "$work/tree" -type d -exec chmod 0755 {} +
        find "$work/tree" -type f -exec chmod 0644 {} +
        (cd "$work/tree" && find . -mindepth 1 -printf '%P\n' | LC_ALL=C sort >"$work/list")
        tar --format=gnu --no-recursion --numeric-owner --owner=0 --group=0 \
            --mtime="@$epoch" -C "$work/tree" -T "$work/list" -cf - | gzip -n -9 >"$out/$tarball"
        echo "$out/$tarball"
    )
}

# FILES.json sorted by name, and MANIFEST.json's digest of it updated, written as
# ansible-galaxy writes them.
release_collection_sort_manifest() {
    /usr/bin/python3 - "$1" <<'EOF'
import hashlib, json, os, sys
tree = sys.argv[1]
def load(name):
    with open(os.path.join(tree, name), "rb") as f:
        return json.load(f)
def dump(name, value):
    data = json.dumps(value, indent=True).encode()
    with open(os.path.join(tree, name), "wb") as f:
        f.write(data)
    return hashlib.sha256(data).hexdigest()
files, manifest = load("FILES.json"), load("MANIFEST.json")
files["files"].sort(key=lambda entry: entry["name"])
manifest["file_manifest_file"]["chksum_sha256"] = dump("FILES.json", files)
dump("MANIFEST.json", manifest)
EOF
}
