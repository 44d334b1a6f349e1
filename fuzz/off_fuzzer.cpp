// libFuzzer target: the control-mesh OFF reader, and the surface over
// whatever it accepts.

#include <cstdio>

#include "exercise.h"

// The surface prints one progress line per build; keep the fuzzer's output
// readable by dropping standard output.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
    FILE* quiet = std::freopen("/dev/null", "w", stdout);
    (void)quiet;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    exerciseReader(MeshFormat::Off, data, size);
    return 0;
}
