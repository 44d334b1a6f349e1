#pragma once
// The benchmark's one table: a row per mesh and level with Facetry's figures,
// OpenSubdiv's, the bandwidth floor, the ratios the targets are stated in, and
// whether the two surfaces matched.

#include <cstdio>
#include <string>
#include <vector>

#include "facetrytimings.h"
#include "osdtimings.h"
#include "weldcompare.h"

// Everything measured for one mesh at one Facetry level.
struct BenchRow {
    std::string mesh;            // the mesh's label
    int level = 0;               // Facetry's level L
    double loadSeconds = 0;      // Facetry's load of the control mesh
    double buildSeconds = 0;     // Facetry's build of level 0
    FacetryLevelFigures facetry; // Facetry at L
    OsdFigures osd;              // OpenSubdiv at the same surface (its points dropped)
    double floorSeconds = 0;     // writing the level-L points once
    bool comparedWithOsd = false; // whether the OpenSubdiv figures, floor and weld check were measured
    WeldResult weld;             // Facetry's level-L points against OpenSubdiv's
    double tolerance = 0;        // the weld tolerance, 1e-5 of the mesh size
};

// Prints the legend, the header and every row.
void printTable(const std::vector<BenchRow>& rows, FILE* out);
// Prints one row as soon as it is measured (the header first if asked).
void printRow(const BenchRow& row, bool header, FILE* out);
