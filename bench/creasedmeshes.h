#pragma once
// Creased variants of the benchmark's meshes: the same control mesh with
// random sharp edges and corners (support/creasetags.h, from a fixed seed),
// written as OBJ with crease and corner tags, so that it loads through the
// OBJ reader as a user's file would.

#include "benchmeshes.h"

// About 5% of the interior edges sharp and 0.5% of the vertices corners,
// sharpness fractional, whole and infinite in equal shares. The label gets
// "-creased".
BenchMesh creasedVariant(const BenchMesh& smooth, unsigned seed);

// The same control mesh as OBJ under boundary interpolation "edge and
// corner", a fifth of its faces (from a fixed seed) holes. The label gets
// "-options".
BenchMesh optionsVariant(const BenchMesh& smooth, unsigned seed);

// Whether a benchmark mesh's text is OBJ (a creased variant) rather than the
// control-mesh text format.
bool isObjText(const std::string& text);
