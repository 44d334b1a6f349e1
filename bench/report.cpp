// The tables of the benchmark.
#include "report.h"

using namespace facetry;

namespace {

double milliseconds(double seconds) { return seconds * 1e3; }
double megabytes(std::size_t bytes) { return bytes / (1024.0 * 1024.0); }
double ratio(double a, double b) { return b > 0 ? a / b : 0; }

void printHeader(FILE* out) {
    std::fprintf(out,
                 "%-30s %2s %3s %10s | %7s %7s %8s %8s %5s %8s %7s | %7s %5s | %9s %9s %7s | %7s | %7s %7s %7s | %s\n",
                 "mesh", "L", "osd", "points", "build1", "buildN", "refine1", "refineN", "1/N", "undivide", "vMoved",
                 "peakMB", "mem/p", "osdTopo", "osdInterp", "osdMB", "floor", "B+R/osd", "R1/flr", "vM/int",
                 "match (max dist/size)");
}

}  // namespace

void printRow(const BenchRow& row, bool header, FILE* out) {
    if (header) printHeader(out);
    const FacetryLevelFigures& one = row.one;
    const FacetryLevelFigures& all = row.all;
    std::fprintf(out, "%-30s %2d %3d %10zu | %7.2f %7.2f %8.2f %8.2f %5.2f %8.2f %7.3f | %7.1f %5.2f | ",
                 row.mesh.c_str(), row.level, row.osd.level, all.weldedPoints, milliseconds(row.buildOneThread),
                 milliseconds(row.buildAllThreads), milliseconds(one.refineSeconds), milliseconds(all.refineSeconds),
                 ratio(one.refineSeconds, all.refineSeconds), milliseconds(all.undivideSeconds),
                 milliseconds(all.vertexMovedSeconds), megabytes(all.peakBytes), ratio(all.peakBytes, all.pointBytes()));
    if (!row.comparedWithOsd) {
        std::fprintf(out, "(OpenSubdiv not run)\n");
        std::fflush(out);
        return;
    }
    const double buildAndRefine = row.buildAllThreads + all.refineSeconds;
    const double osdTotal = row.osd.topologySeconds + row.osd.interpolateSeconds;
    const double size = row.tolerance * 1e5;
    std::fprintf(out, "%9.2f %9.2f %7.1f | %7.3f | %7.3f %7.1f %7.4f | %s (%.1e)\n",
                 milliseconds(row.osd.topologySeconds), milliseconds(row.osd.interpolateSeconds),
                 megabytes(row.osd.peakBytes), milliseconds(row.floorSeconds), ratio(buildAndRefine, osdTotal),
                 ratio(one.refineSeconds, row.floorSeconds), ratio(all.vertexMovedSeconds, row.osd.interpolateSeconds),
                 row.weld.summary().c_str(), ratio(row.weld.largestDistance, size));
    std::fflush(out);
}

void printTable(const std::vector<BenchRow>& rows, FILE* out) {
    const int threads = rows.empty() ? 1 : rows[0].threads;
    std::fprintf(out,
                 "Times in ms of wall-clock time (medians), memory in MiB; N = %d threads.\n"
                 "  L: Facetry level; osd: OpenSubdiv level of the same surface (L+1 when the control mesh is not all quads)\n"
                 "  points: distinct surface points at L\n"
                 "  build1, buildN: MrMesh::build on 1 and N threads; refine1, refineN: every subdivide() from 0 to L\n"
                 "  1/N: refine1/refineN; undivide, vMoved: undivide() from L and one vertexMoved() at L, on N threads\n"
                 "  peakMB: memory the surface held at its peak at L; mem/p: that over 12 bytes per distinct point\n"
                 "  osdTopo: topology refinement; osdInterp: interpolation of the positions through every level\n"
                 "  floor: writing the L points once; B+R/osd: (buildN+refineN)/(osdTopo+osdInterp);\n"
                 "  R1/flr: refine1/floor; vM/int: vMoved/osdInterp; match: welded points within 1e-5 of the mesh size\n",
                 threads);
    for (std::size_t k = 0; k < rows.size(); ++k) printRow(rows[k], k == 0, out);
}

void printProcessTable(const std::vector<ProcessRow>& rows, FILE* out) {
    if (rows.empty()) return;
    std::fprintf(out,
                 "\nWhole processes, wall-clock ms (medians): facetry-refine FILE --level L on 1 and on N = %d threads,\n"
                 "and a program that reads the same file with Facetry's loader and refines it with OpenSubdiv.\n"
                 "%-30s %2s | %9s %9s | %10s | %7s %7s\n",
                 rows[0].threads, "mesh", "L", "facetry1", "facetryN", "OpenSubdiv", "1/osd", "N/osd");
    for (const ProcessRow& row : rows)
        std::fprintf(out, "%-30s %2d | %9.1f %9.1f | %10.1f | %7.3f %7.3f\n", row.mesh.c_str(), row.level,
                     milliseconds(row.oneThread), milliseconds(row.allThreads), milliseconds(row.openSubdiv),
                     ratio(row.oneThread, row.openSubdiv), ratio(row.allThreads, row.openSubdiv));
}
