// What the fuzz harnesses share: a check that aborts, so that a broken
// invariant stops a campaign and fails a replay loudly, and the libFuzzer
// entry every harness defines.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(condition, what)                                                     \
    do {                                                                                \
        if (!(condition)) {                                                             \
            fprintf(stderr, "%s:%d: invariant broken: %s\n", __FILE__, __LINE__, what); \
            abort();                                                                    \
        }                                                                               \
    } while (0)

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);
