# Facts about the program read from its own sources, so no test, demo or benchmark keeps a copy:
# its version and window caption (src/version.h), the Print Setup lists
# (src/settings/page_sizes.h) and its control ids (src/ui/resource.h). Each reader takes the
# file as an optional last argument and fails, saying so, when the file lacks what it reads.

PRODUCT_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)

# product_version [VERSION_H]: the number of the "#define TESSALINE_VERSION" line.
product_version() {
    local file=${1:-$PRODUCT_ROOT/src/version.h} version
    version=$(sed -n 's/^#define TESSALINE_VERSION \([0-9][0-9]*\.[0-9][0-9]*\)$/\1/p' "$file")
    if [ -z "$version" ]; then
        echo "product: no '#define TESSALINE_VERSION' line in $file" >&2
        return 1
    fi
    printf '%s\n' "$version"
}

# product_caption [VERSION_H]: the main window's caption.
product_caption() {
    local version
    version=$(product_version "$@") || return 1
    printf 'Tessaline %s by Korvane\n' "$version"
}

# product_page_sizes [PAGE_SIZES_H]: the page size names, one a line, in list order (the rows
# `    {"Name", code},` of kPageSizes).
product_page_sizes() {
    _product_table "${1:-$PRODUCT_ROOT/src/settings/page_sizes.h}" kPageSizes \
        '^    [{]"[^"]*", -?[0-9]+[}],$'
}

# product_orientations [PAGE_SIZES_H]: the orientation names, one a line (the rows `    "Name",`
# of kOrientationNames).
product_orientations() {
    _product_table "${1:-$PRODUCT_ROOT/src/settings/page_sizes.h}" kOrientationNames \
        '^    "[^"]*",$'
}

# _product_table FILE ARRAY ROW_REGEX: the quoted name of every row of the C array ARRAY, from
# its opening line to its "};". A line inside that is not a row is an error, not skipped.
_product_table() {
    local file=$1 array=$2 row=$3 out
    out=$(awk -v array="$array" -v row="$row" '
        index($0, " " array "[] = {") && $0 ~ /[{]$/ { inside = 1; next }
        inside && $0 == "};" { done = 1; exit }
        inside {
            if (!match($0, row)) { print "bad row: " $0 > "/dev/stderr"; exit 2 }
            line = $0
            sub(/^    [{]?"/, "", line)
            sub(/", -?[0-9]+[}],$/, "", line)
            sub(/",$/, "", line)
            print line
            n++
        }
        END { exit (done && n > 0) ? 0 : 2 }' "$file") || {
        echo "product: cannot read the rows of $array from $file" >&2
        return 1
    }
    printf '%s\n' "$out"
}

# product_resource_ids [RESOURCE_H]: makes every numeric #define of the program's resource.h a
# shell variable of the same name (IDC_MAIN_PATH, IDM_ABOUTBOX...).
product_resource_ids() {
    local file=${1:-$PRODUCT_ROOT/src/ui/resource.h} name value found=0
    while read -r _ name value _; do
        if [[ "$value" =~ ^(0x[0-9a-fA-F]+|[0-9]+)$ ]]; then
            declare -g "$name=$((value))"
            found=1
        fi
    done < <(grep -E '^#define [A-Z_0-9]+ ' "$file")
    if [ "$found" -eq 0 ]; then
        echo "product: no control ids in $file" >&2
        return 1
    fi
}
