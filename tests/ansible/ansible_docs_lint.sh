#!/usr/bin/env bash
# The collection's modules render with ansible-doc and document exactly the options they take,
# and what they return; ansible-lint passes on its roles and example playbook. Needs Debian's
# ansible-core and ansible-lint, not the rig.
set -euo pipefail
name=ansible_docs_lint
for tool in ansible-doc ansible-lint; do
    command -v "$tool" >/dev/null || {
        echo "[$name] not run: no $tool" >&2
        exit "${E2E_SKIP_CODE:-77}"
    }
done
fail() {
    echo "FAIL [$name]: $*" >&2
    exit 1
}
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/tessaline-ansible-docs.XXXXXX")
trap 'rm -rf "$work"' EXIT
# A copy: ansible-lint keeps a cache in the project it checks. Nothing read or written at HOME.
collection=$work/collections/ansible_collections/korvane/tessaline
mkdir -p "$(dirname "$collection")" "$work/home" "$work/tmp"
cp -r "$root/packaging/ansible" "$collection"
: >"$work/ansible.cfg"
export HOME=$work/home XDG_CACHE_HOME=$work/cache ANSIBLE_CONFIG=$work/ansible.cfg
export ANSIBLE_HOME=$work/ansible-home ANSIBLE_LOCAL_TEMP=$work/tmp ANSIBLE_NOCOLOR=1
export ANSIBLE_COLLECTIONS_PATH=$work/collections

# MODULE:OPTIONS:RETURNED (the options exactly; each value returned documented, among others)
modules=(
    "upgrade:cli component encrypt expect_version file max_failures parallel password printers
printers_file server sha256 user verify_timeout wait:cannot_ask current printers rc summary
would_upgrade"
    "inventory:cli encrypt parallel password printers printers_file server user:printers summary"
)
e_list=$(for m in "${modules[@]}"; do echo "korvane.tessaline.${m%%:*}"; done | sort)
listed=$(ansible-doc -t module -l korvane.tessaline 2>&1 | awk '{ print $1 }' | sort) ||
    fail "ansible-doc -l: $listed"
[ "$listed" = "$e_list" ] || fail "modules listed: expected '$e_list', got '$listed'"

for m in "${modules[@]}"; do
    module=korvane.tessaline.${m%%:*}
    IFS=: read -r _ options returned <<<"$(tr '\n' ' ' <<<"$m")"
    text=$(ansible-doc -t module "$module" 2>&1) || fail "$module does not render: $text"
    grep -q "^> ${module^^} " <<<"$text" || fail "$module: no heading in: $text"
    got=$(ansible-doc -t module --json "$module" | /usr/bin/python3 -c 'import json, sys
d = json.load(sys.stdin)[sys.argv[1]]
doc, ret = d["doc"], d["return"] or {}
print(" ".join(sorted(doc["options"])))
print("missing:", *sorted(set(sys.argv[2].split()) - set(ret)))
print(bool(doc.get("short_description")), bool((d["examples"] or "").strip()))' "$module" "$returned") ||
        fail "$module: ansible-doc --json"
    expected="$(tr -s ' ' <<<"$options" | sed 's/ $//')
missing:"
    [ "$(head -n 2 <<<"$got")" = "$expected" ] ||
        fail "$module: options / returned: expected '$expected', got '$(head -n 2 <<<"$got")'"
    [ "$(sed -n 3p <<<"$got")" = "True True" ] ||
        fail "$module: short_description and examples: $(sed -n 3p <<<"$got")"
done

# ansible-lint's default profile, offline, as shipped.
lint=$(cd "$collection" && ansible-lint --offline --nocolor -q roles/cli playbooks/upgrade_sites.yml 2>&1) ||
    fail "ansible-lint: $lint"
echo "all checks passed"
