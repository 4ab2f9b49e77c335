#pragma once
// One source per fuzz target, built two ways: with libFuzzer natively
// (scripts/fuzz.sh), and into the ordinary tests, which replay every input
// kept beside the target (tests/fuzz/<target>/).
//
//   FUZZ_TARGET(name) { ... FUZZ_CHECK(property); ... }
//
// A failed check aborts under the fuzzer (a finding) and fails the replay.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#if defined(FUZZ_REPLAY)

namespace fuzz {
using Target = void (*)(const std::uint8_t* data, std::size_t size);
// Defined by the replaying test program.
bool Register(const char* name, Target target);
struct Failure {
    const char* file;
    int line;
    const char* condition;
};
} // namespace fuzz

#define FUZZ_TARGET(name)                                                                                    \
    static void name##_FuzzOne(const std::uint8_t* data, std::size_t size);                                  \
    [[maybe_unused]] static const bool name##_fuzzRegistered = ::fuzz::Register(#name, &name##_FuzzOne);     \
    static void name##_FuzzOne(const std::uint8_t* data, std::size_t size)
#define FUZZ_CHECK(condition)                                                                                \
    do {                                                                                                     \
        if (!(condition)) throw ::fuzz::Failure{__FILE__, __LINE__, #condition};                             \
    } while (0)

#else

#define FUZZ_TARGET(name)                                                                                    \
    static void name##_FuzzOne(const std::uint8_t* data, std::size_t size);                                  \
    extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)                        \
    {                                                                                                        \
        name##_FuzzOne(data, size);                                                                          \
        return 0;                                                                                            \
    }                                                                                                        \
    static void name##_FuzzOne(const std::uint8_t* data, std::size_t size)
#define FUZZ_CHECK(condition)                                                                                \
    do {                                                                                                     \
        if (!(condition)) {                                                                                  \
            std::fprintf(stderr, "%s:%d: property does not hold: %s\n", __FILE__, __LINE__, #condition);     \
            std::abort();                                                                                    \
        }                                                                                                    \
    } while (0)

#endif
