// A property of a fuzz target: when it fails, libFuzzer keeps the input.
#pragma once

#include <cstdlib>

inline void Require(bool holds) {
    if (!holds)
        std::abort();
}
