// libFuzzer target: the control-mesh text reader, and the surface over
// whatever it accepts.

#include "exercise.h"

using namespace facetry;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    exerciseReader(MeshFormat::Text, data, size);
    return 0;
}
