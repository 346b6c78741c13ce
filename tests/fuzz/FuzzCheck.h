// FUZZ_CHECK: a property of a fuzz target. A broken one prints where and what
// and aborts, which libFuzzer records as a crash together with its input.
// (Not assert(): it must hold in every build type, NDEBUG included.)
#pragma once

#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(condition)                                                                     \
    do {                                                                                          \
        if (!(condition)) {                                                                       \
            std::fprintf(stderr, "%s:%d: property broken: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                         \
        }                                                                                         \
    } while (false)
