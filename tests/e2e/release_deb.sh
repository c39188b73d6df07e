#!/usr/bin/env bash
# The command line's .deb: installed with dpkg into a throwaway root (so the machine's own
# packages are not touched), it puts tessaline-cli and its man page in place, answers
# --version with the release's version, depends on libcups2, and removes cleanly.
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib/e2e.sh"
source "$here/lib/app.sh"
source "$here/lib/release.sh"

if [ ! -f "$REL_DEB" ]; then
    if rel_checkout_has_cli; then
        e2e_fail "this checkout has src/cli, but the release made no $(basename "$REL_DEB")"
    fi
    rel_skip "the .deb installs, answers --version and removes" \
        "this checkout has no tessaline-cli, so the release makes no .deb"
    exit 0
fi

app_work_dir release_deb
root=$work/root
admin=$root/var/lib/dpkg
mkdir -p "$admin/info" "$admin/updates"
: >"$admin/available"
# dpkg checks only the package's direct dependencies: give the root the host's entries for
# them (with empty file lists), so they count as installed there.
depends=$(dpkg-deb -f "$REL_DEB" Depends)
grep -qE '(^|, )libcups2( |,|$)' <<<"$depends" || e2e_fail "Depends lacks libcups2: $depends"
names=$(tr ',' '\n' <<<"$depends" | sed 's/^ *//; s/[ :(].*//' | sort -u)
for name in $names; do
    dpkg-query -s "$name" >>"$admin/status" || e2e_fail "$name is not installed on this machine"
    echo >>"$admin/status"
    : >"$admin/info/$name.list"
done

dpkg --root="$root" -i "$REL_DEB" >"$work/install.log" 2>&1 ||
    e2e_fail "dpkg -i failed: $(cat "$work/install.log")"
for file in usr/bin/tessaline-cli usr/share/man/man1/tessaline-cli.1.gz \
    usr/share/doc/tessaline-cli/copyright usr/share/doc/tessaline-cli/changelog.gz; do
    [ -f "$root/$file" ] || e2e_fail "the package did not install /$file"
done
[ -x "$root/usr/bin/tessaline-cli" ] || e2e_fail "/usr/bin/tessaline-cli is not executable"
version_out=$("$root/usr/bin/tessaline-cli" --version </dev/null) ||
    e2e_fail "tessaline-cli --version failed"
grep -qw "$REL_VERSION" <<<"$version_out" ||
    e2e_fail "tessaline-cli --version says '$version_out', not $REL_VERSION"
e2e_assert_eq "package status" "install ok installed" \
    "$(dpkg-query --admindir="$admin" -W -f='${Status}' tessaline-cli)"

dpkg --root="$root" -r tessaline-cli >"$work/remove.log" 2>&1 ||
    e2e_fail "dpkg -r failed: $(cat "$work/remove.log")"
left=$(cd "$root" && find . -path ./var -prune -o ! -type d -print)
e2e_assert_eq "files left after removal" "" "$left"
if dpkg-query --admindir="$admin" -W -f='${Status}' tessaline-cli 2>/dev/null | grep -qx "install ok installed"; then
    e2e_fail "tessaline-cli is still installed in the throwaway root"
fi
