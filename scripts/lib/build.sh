# Configures and builds one preset. Sourced by scripts/run and scripts/test.

tessaline_build() {
    local preset=$1
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset"
}
