// The table of the benchmark.
#include "report.h"

namespace {

double milliseconds(double seconds) { return seconds * 1e3; }
double megabytes(std::size_t bytes) { return bytes / (1024.0 * 1024.0); }
double ratio(double a, double b) { return b > 0 ? a / b : 0; }

void printHeader(FILE* out) {
    std::fprintf(out,
                 "%-22s %2s %3s %10s | %8s %8s %9s %9s %9s %8s %5s | %9s %9s %8s | %8s | %7s %7s %7s | %s\n",
                 "mesh", "L", "osd", "points", "load", "build", "refine", "undivide", "vMoved", "peakMB", "mem/p",
                 "osdTopo", "osdInterp", "osdMB", "floor", "B+R/osd", "vM/int", "R/floor", "match (max dist/size)");
}

}  // namespace

void printRow(const BenchRow& row, bool header, FILE* out) {
    if (header) printHeader(out);
    const FacetryLevelFigures& f = row.facetry;
    std::fprintf(out, "%-22s %2d %3d %10zu | %8.3f %8.3f %9.3f %9.3f %9.3f %8.1f %5.2f | ", row.mesh.c_str(),
                 row.level, row.osd.level, f.weldedPoints, milliseconds(row.loadSeconds),
                 milliseconds(row.buildSeconds), milliseconds(f.refineSeconds), milliseconds(f.undivideSeconds),
                 milliseconds(f.vertexMovedSeconds), megabytes(f.peakBytes), ratio(f.peakBytes, f.pointBytes));
    if (!row.comparedWithOsd) {
        std::fprintf(out, "(OpenSubdiv not run)\n");
        return;
    }
    double buildAndRefine = row.buildSeconds + f.refineSeconds;
    double osdTotal = row.osd.topologySeconds + row.osd.interpolateSeconds;
    double size = row.tolerance * 1e5;
    std::fprintf(out, "%9.3f %9.3f %8.1f | %8.3f | %7.3f %7.3f %7.2f | %s (%.1e)\n",
                 milliseconds(row.osd.topologySeconds), milliseconds(row.osd.interpolateSeconds),
                 megabytes(row.osd.peakBytes), milliseconds(row.floorSeconds), ratio(buildAndRefine, osdTotal),
                 ratio(f.vertexMovedSeconds, row.osd.interpolateSeconds), ratio(f.refineSeconds, row.floorSeconds),
                 row.weld.summary().c_str(), ratio(row.weld.largestDistance, size));
    std::fflush(out);
}

void printTable(const std::vector<BenchRow>& rows, FILE* out) {
    std::fprintf(out,
                 "Times in ms of thread CPU time (medians), memory in MiB.\n"
                 "  L: Facetry level; osd: OpenSubdiv level of the same surface (L+1 when the control mesh is not all quads)\n"
                 "  points: distinct surface points at L; refine: every subdivide() from 0 to L; vMoved: one vertexMoved() at L\n"
                 "  peakMB: heap the surface held at its peak at L; mem/p: that over the bytes of the points it stores\n"
                 "  osdTopo: topology refinement; osdInterp: interpolation of the positions through every level\n"
                 "  floor: writing the L points once; B+R/osd: (build+refine)/(osdTopo+osdInterp);\n"
                 "  vM/int: vMoved/osdInterp; R/floor: refine/floor; match: welded points within 1e-5 of the mesh size\n");
    for (std::size_t k = 0; k < rows.size(); ++k) printRow(rows[k], k == 0, out);
}
