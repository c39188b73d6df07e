# Configures and builds one preset. Sourced by scripts/run and scripts/test.
# TESSALINE_NATIVE_BUILD and TESSALINE_WIN_BUILD move the build folders (default build/native
# and build/windows).

tessaline_build_dir() {
    case "$1" in
        native) echo "${TESSALINE_NATIVE_BUILD:-$PWD/build/native}" ;;
        windows) echo "${TESSALINE_WIN_BUILD:-$PWD/build/windows}" ;;
        *) echo "unknown preset $1" >&2 && return 1 ;;
    esac
}

tessaline_build() {
    local preset=$1 dir
    dir=$(tessaline_build_dir "$preset")
    cmake --preset "$preset" -B "$dir" >/dev/null
    cmake --build "$dir" -j2
}
