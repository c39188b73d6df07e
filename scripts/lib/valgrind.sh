# Runs the unit tests and the capture printer's tests once under valgrind, from a build without
# sanitizers (valgrind and ASan cannot share a process). Sourced by scripts/test.

tessaline_valgrind_unit_tests() {
    local dir=${TESSALINE_VALGRIND_BUILD:-$PWD/build/valgrind} program status=0
    cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=Debug -DTESSALINE_SANITIZE=OFF >/dev/null
    cmake --build "$dir" -j2 --target tessaline_unit_tests capture_printer_tests >/dev/null
    for program in tests/unit/tessaline_unit_tests tools/capture_printer/capture_printer_tests; do
        valgrind --quiet --error-exitcode=1 --leak-check=full \
            --errors-for-leak-kinds=definite,indirect "$dir/$program" --gtest_brief=1 || status=1
    done
    return "$status"
}
