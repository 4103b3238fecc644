// What every fuzz target shares: a property that does not hold ends the run, so
// the fuzzer keeps the input that broke it.
#pragma once
#include <cstdlib>

inline void require(bool condition) {
    if (!condition) std::abort();
}
