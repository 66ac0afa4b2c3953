// A property a fuzz target checks: when it does not hold, libFuzzer sees the
// abort, keeps the input and stops.
#pragma once

#include <cstdlib>

namespace brisendale::fuzzing {

inline void Require(bool condition) {
    if (!condition)
        std::abort();
}

}  // namespace brisendale::fuzzing
