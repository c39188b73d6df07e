#pragma once

#include <cstdio>
#include <cstdlib>

namespace tessaline::fuzz {

// A broken property ends the run; libFuzzer then keeps the input and prints the stack.
inline void Check(bool holds, const char* property) {
    if (!holds) {
        std::fprintf(stderr, "broken property: %s\n", property);
        std::abort();
    }
}

}  // namespace tessaline::fuzz
