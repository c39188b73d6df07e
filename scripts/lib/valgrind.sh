# Runs the unit tests once under valgrind, from a build without sanitizers (valgrind and ASan
# cannot share a process). Sourced by scripts/test.

tessaline_valgrind_unit_tests() {
    local dir=${TESSALINE_VALGRIND_BUILD:-$PWD/build/valgrind}
    cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=Debug -DTESSALINE_SANITIZE=OFF >/dev/null
    cmake --build "$dir" -j2 --target tessaline_unit_tests >/dev/null
    valgrind --quiet --error-exitcode=1 --leak-check=full --errors-for-leak-kinds=definite,indirect \
        "$dir/tests/unit/tessaline_unit_tests" --gtest_brief=1
}
