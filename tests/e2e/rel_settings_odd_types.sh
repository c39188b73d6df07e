#!/usr/bin/env bash
# Stored page size and orientation of odd types and lengths: a form test sends, and Print Setup
# shows, what the read rule makes of the bytes (at most 4 bytes, little-endian, zero-extended,
# type not looked at; longer gives the reader's default), and neither rewrites the values.
# Only OK in Print Setup stores, and then as REG_DWORD.
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib/e2e.sh"
source "$here/lib/app.sh"

app_work_dir rel-settings

page_codes=(1 2 3 6 26 27 80 81 90 91 100 101)

# read_rule "BYTES" DEFAULT: the value a read gives for the stored bytes (hex, space-separated).
read_rule() {
    local -a bytes
    read -r -a bytes <<<"$1"
    if [ "${#bytes[@]}" -gt 4 ]; then
        echo "$2"
        return
    fi
    local value=0 i
    for ((i = ${#bytes[@]} - 1; i >= 0; i--)); do
        value=$((value * 256 + 16#${bytes[i]}))
    done
    [ "$value" -lt 2147483648 ] || value=$((value - 4294967296))
    echo "$value"
}

# The code a form test sends for a page size index; Letter outside the list.
page_code() {
    if [ "$1" -ge 0 ] && [ "$1" -lt ${#page_codes[@]} ]; then
        echo "${page_codes[$1]}"
    else
        echo 2
    fi
}

# selection INDEX TEXT...: what get-selection prints for an index into the given list.
selection() {
    local index=$1
    shift
    local -a texts=("$@")
    if [ "$index" -ge 0 ] && [ "$index" -lt ${#texts[@]} ]; then
        printf '%s\t%s' "$index" "${texts[$index]}"
    else
        printf -- '-1\t'
    fi
}

# The whole section as regedit exports it: every value's name, type and data.
reg_export() {
    local out=$work/export.reg
    rm -f "$out"
    wine regedit /E "$(win_path "$out")" "HKEY_CURRENT_USER\\${APP_SETTINGS_KEY#HKCU\\}" \
        </dev/null >/dev/null 2>&1 || e2e_fail "regedit cannot export the settings"
    iconv -f UTF-16 -t UTF-8 "$out" | tr -d '\r'
}

# The section holds exactly this data, "Page Size" then "Page Orientation" (export order is
# by name, so orientation comes first).
assert_export() {
    local what=$1 expected=$2 actual
    actual=$(reg_export)
    e2e_assert_eq "$what" "$expected" "$actual"
}

# name | page size type | data | bytes a read sees | orientation type | data | bytes.
# A REG_SZ is read through the single-byte API: its ANSI text and the terminating NUL.
rows=(
    "text digit|REG_SZ|4|34 00|REG_SZ|1|31 00"
    "text too long and empty text|REG_SZ|1234|31 32 33 34 00|REG_SZ||00"
    "binary 1 byte|REG_BINARY|04|04|REG_BINARY|01|01"
    "binary 2 bytes|REG_BINARY|0a00|0a 00|REG_BINARY|0300|03 00"
    "binary 2 bytes high byte set|REG_BINARY|0001|00 01|REG_BINARY|0002|00 02"
    "binary 3 bytes|REG_BINARY|060000|06 00 00|REG_BINARY|000080|00 00 80"
    "binary 4 bytes|REG_BINARY|0b000000|0b 00 00 00|REG_BINARY|ffffffff|ff ff ff ff"
    "binary 8 bytes|REG_BINARY|0400000000000000|04 00 00 00 00 00 00 00|REG_BINARY|0100000000000000|01 00 00 00 00 00 00 00"
    "binary empty|REG_BINARY|||REG_BINARY|02|02"
    "qword|REG_QWORD|4|04 00 00 00 00 00 00 00|REG_QWORD|1|01 00 00 00 00 00 00 00"
    "dword all ones|REG_DWORD|0xFFFFFFFF|ff ff ff ff|REG_DWORD|0xFFFFFFFF|ff ff ff ff"
)

app_start
for row in "${rows[@]}"; do
    IFS='|' read -r name ps_type ps_data ps_bytes or_type or_data or_bytes <<<"$row"
    e2e_note "row: $name"
    app_reset_settings
    e2e_reg_add "$APP_SETTINGS_KEY" "Page Size" "$ps_type" "$ps_data"
    e2e_reg_add "$APP_SETTINGS_KEY" "Page Orientation" "$or_type" "$or_data"
    stored=$(reg_export)

    # A form test: defaults 1 and 0.
    size=$(read_rule "$ps_bytes" 1)
    orientation=$(read_rule "$or_bytes" 0)
    before=$(e2e_job_count "$RIG_QUEUE_VIRTUAL")
    app_print_forms "$RIG_QUEUE_VIRTUAL" 2
    app_assert_form_jobs "$RIG_QUEUE_VIRTUAL" "$before" "$(page_code "$size")" "$orientation" 2 2
    assert_export "$name: stored values after the form test" "$stored"

    # Print Setup: defaults -1 and -1, then Cancel.
    size=$(read_rule "$ps_bytes" -1)
    orientation=$(read_rule "$or_bytes" -1)
    setup_open
    drv_expect "$name: page size shown" "$(selection "$size" "${SETUP_PAGE_SIZES[@]}")" \
        get-selection "$SETUP_CAPTION" "$IDC_SETUP_PAGE_SIZE"
    drv_expect "$name: orientation shown" "$(selection "$orientation" "${SETUP_ORIENTATIONS[@]}")" \
        get-selection "$SETUP_CAPTION" "$IDC_SETUP_ORIENTATION"
    setup_press "$IDCANCEL"
    assert_export "$name: stored values after Print Setup Cancel" "$stored"
    e2e_note "$name: sent page code $(page_code "$(read_rule "$ps_bytes" 1)")," \
        "orientation $(read_rule "$or_bytes" 0); Print Setup $size / $orientation; unchanged"
done

# OK rewrites both, as REG_DWORD, with what the lists show: here nothing, so -1.
app_reset_settings
e2e_reg_add "$APP_SETTINGS_KEY" "Page Size" REG_QWORD 4
e2e_reg_add "$APP_SETTINGS_KEY" "Page Orientation" REG_BINARY 0100000000000000
setup_open
setup_press "$IDOK"
assert_export "stored values after OK" 'Windows Registry Editor Version 5.00

[HKEY_CURRENT_USER\Software\Korvane\Tessaline\Print Settings]
"Page Orientation"=dword:ffffffff
"Page Size"=dword:ffffffff'

app_reset_settings
app_exit
