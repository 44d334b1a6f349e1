#pragma once
// The benchmark's tables: a row per mesh and level with Facetry's figures on
// one thread and on all, OpenSubdiv's, the bandwidth floor, the ratios the
// goals are stated in and whether the two surfaces matched; then the whole
// processes side by side.

#include <cstdio>
#include <string>
#include <vector>

#include "facetrytimings.h"
#include "osdtimings.h"
#include "support/pointmatch.h"

// Everything measured for one mesh at one Facetry level.
struct BenchRow {
    std::string mesh;             // the mesh's label
    int level = 0;                // Facetry's level L
    int threads = 1;              // the threads of the "all threads" figures
    double buildOneThread = 0;    // Facetry's build of level 0 on one thread
    double buildAllThreads = 0;   // the same on all threads
    FacetryLevelFigures one;      // Facetry at L on one thread
    FacetryLevelFigures all;      // Facetry at L on all threads
    OsdFigures osd;               // OpenSubdiv at the same surface (its points dropped)
    double floorSeconds = 0;      // writing the level-L points once
    bool comparedWithOsd = false; // whether the OpenSubdiv figures, floor and weld check were measured
    WeldResult weld;              // Facetry's level-L points against OpenSubdiv's
    double tolerance = 0;         // the weld tolerance, 1e-5 of the mesh size
};

// The whole programs on one mesh file at one level.
struct ProcessRow {
    std::string mesh;          // the mesh's label
    int level = 0;             // facetry-refine's level
    int threads = 1;           // the threads of the second Facetry figure
    double oneThread = 0;      // facetry-refine FILE --level L --threads 1
    double allThreads = 0;     // facetry-refine FILE --level L
    double openSubdiv = 0;     // the OpenSubdiv program on the same file and surface
};

// Prints the legend, the header and every row.
void printTable(const std::vector<BenchRow>& rows, FILE* out);
// Prints one row as soon as it is measured (the header first if asked).
void printRow(const BenchRow& row, bool header, FILE* out);
// Prints the whole-process table.
void printProcessTable(const std::vector<ProcessRow>& rows, FILE* out);
