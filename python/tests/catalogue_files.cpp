// Writes the tests' mesh catalogue (tests/support/catalogue.h) into a
// directory, every mesh in the three input formats, for the Python module's
// tests: NAME.mesh, NAME.obj and NAME.off, and one line per mesh on standard
// output, "NAME ALLQUADS", so that the tests know what they read.
//   facetry_catalogue_files DIR
#include <cstdio>
#include <fstream>

#include "support/catalogue.h"

using namespace facetry;

int main(int argc, char** argv) {
    if (argc != 2) return std::fprintf(stderr, "usage: facetry_catalogue_files DIR\n"), 2;
    const std::string dir = argv[1];
    for (const CatalogueMesh& shape : meshCatalogue()) {
        const std::string texts[3][2] = {{".mesh", meshText(shape.control)}, {".obj", objText(shape.control)},
                                         {".off", offText(shape.control)}};
        for (const auto& text : texts) {
            std::ofstream out(dir + "/" + shape.name + text[0], std::ios::binary);
            out << text[1];
            if (!out.flush()) return std::fprintf(stderr, "cannot write %s%s\n", shape.name.c_str(), text[0].c_str()), 1;
        }
        std::printf("%s %d\n", shape.name.c_str(), shape.allQuads ? 1 : 0);
    }
    return 0;
}
