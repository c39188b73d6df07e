# The toolkit's readers of the program's sources (tests/lib/product.sh): each reads exactly its
# rows, and a file without them is an error that names it, never an empty list.
source "$(dirname "$0")/lib/e2e.sh"
source "$(dirname "$0")/lib/app.sh"

work=$(mktemp -d "$RIG_DIR/toolkit_product.XXXXXX")
trap 'e2e_cleanup; rm -rf "$work"' EXIT

# expect_refusal WHAT MESSAGE COMMAND...: COMMAND fails, prints nothing, and says MESSAGE.
expect_refusal() {
    local what=$1 message=$2 out status=0
    shift 2
    out=$("$@" 2>"$work/err") || status=$?
    e2e_assert_eq "$what: status" 1 "$status"
    e2e_assert_eq "$what: output" "" "$out"
    e2e_assert_eq "$what: message" "$message" "$(cat "$work/err")"
}

# ---- Version and caption ----

printf '#pragma once\n// TESSALINE_VERSION 1.0 in a comment\n#define TESSALINE_VERSION 9.7\n#define TESSALINE_VERSION_TEXT x\n' \
    >"$work/version.h"
e2e_assert_eq "version" 9.7 "$(product_version "$work/version.h")"
e2e_assert_eq "caption" "Tessaline 9.7 by Korvane" "$(product_caption "$work/version.h")"
for bad in '#define TESSALINE_VERSION 9' '#define TESSALINE_VERSION 9.7.1' \
    '#define TESSALINE_VERSION  9.7' '// #define TESSALINE_VERSION 9.7'; do
    printf '%s\n' "$bad" >"$work/bad_version.h"
    expect_refusal "version line '$bad'" \
        "product: no '#define TESSALINE_VERSION' line in $work/bad_version.h" \
        product_caption "$work/bad_version.h"
done
# The release names its files with the same number the window shows.
source "$E2E_ROOT/scripts/lib/release.sh"
e2e_assert_eq "the caption's version is the release's" "$(release_version)" "$(product_version)"
e2e_assert_eq "the tests' caption" "Tessaline $(release_version) by Korvane" "$APP_CAPTION"

# ---- Page sizes and orientations ----

cat >"$work/page_sizes.h" <<'HEADER'
// kPageSizes[] = { in a comment is no table
inline constexpr PageSize kPageSizes[] = {
    {"First (1 x 2 in.)", 1},
    {"Odd, [Name] (x)", -7},
    {"Last", 101},
};

inline constexpr const char* kOrientationNames[] = {
    "Up",
    "Side Ways",
};

inline constexpr const char* kOtherNames[] = {
    "Not an orientation",
};
HEADER
e2e_assert_eq "page sizes" 'First (1 x 2 in.)
Odd, [Name] (x)
Last' "$(product_page_sizes "$work/page_sizes.h")"
e2e_assert_eq "orientations" 'Up
Side Ways' "$(product_orientations "$work/page_sizes.h")"

# A line inside a table that is not a row in the one form, and a table that never ends.
cases=(
    'a comment between rows|    // Legal is next'
    'two rows on one line|    {"A", 1}, {"B", 2},'
    'a row without its code|    {"A"},'
    'a tab for the indent|	{"A", 1},'
)
for row in "${cases[@]}"; do
    IFS='|' read -r what line <<<"$row"
    printf 'inline constexpr PageSize kPageSizes[] = {\n    {"Letter", 2},\n%s\n};\n' "$line" \
        >"$work/broken.h"
    expect_refusal "page sizes with $what" \
        "bad row: $line
product: cannot read the rows of kPageSizes from $work/broken.h" \
        product_page_sizes "$work/broken.h"
done
printf 'inline constexpr PageSize kPageSizes[] = {\n    {"Letter", 2},\n' >"$work/open.h"
expect_refusal "a table without its end" \
    "product: cannot read the rows of kPageSizes from $work/open.h" \
    product_page_sizes "$work/open.h"
printf 'inline constexpr PageSize kPageSizes[] = {\n};\n' >"$work/empty.h"
expect_refusal "an empty table" \
    "product: cannot read the rows of kPageSizes from $work/empty.h" \
    product_page_sizes "$work/empty.h"
expect_refusal "no orientation table" \
    "product: cannot read the rows of kOrientationNames from $work/empty.h" \
    product_orientations "$work/empty.h"

# The program's own table: every row read, and Print Setup's lists are those rows.
header=$E2E_ROOT/src/settings/page_sizes.h
rows=$(grep -c '^    {"' "$header")
e2e_assert_eq "page sizes read from the program's table" "$rows" "${#SETUP_PAGE_SIZES[@]}"
e2e_assert_eq "the tests' page sizes" "$(product_page_sizes "$header")" \
    "$(printf '%s\n' "${SETUP_PAGE_SIZES[@]}")"
e2e_assert_eq "the tests' orientations" "$(product_orientations "$header")" \
    "$(printf '%s\n' "${SETUP_ORIENTATIONS[@]}")"

# ---- Control ids ----

printf '#define IDC_HEX 0x10\n#define IDC_DEC 42\n#define IDS_TEXT "7"\n#define IDC_EXPR (1 + 2)\n' \
    >"$work/resource.h"
(
    unset IDC_HEX IDC_DEC IDS_TEXT IDC_EXPR
    product_resource_ids "$work/resource.h"
    e2e_assert_eq "hex id" 16 "$IDC_HEX"
    e2e_assert_eq "decimal id" 42 "$IDC_DEC"
    e2e_assert_eq "a string is no id" unset "${IDS_TEXT-unset}"
    e2e_assert_eq "an expression is no id" unset "${IDC_EXPR-unset}"
)
printf '#pragma once\n' >"$work/no_ids.h"
expect_refusal "no ids" "product: no control ids in $work/no_ids.h" \
    product_resource_ids "$work/no_ids.h"
