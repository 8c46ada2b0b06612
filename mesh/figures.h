// The two embedded figures, decoded once at start-up on the main thread and
// kept for the whole run: `toy_figure` (posed and drawn by draw_walkers)
// and `blocky_figure` (drawn by the walkers scene with draw_mesh). Their
// packed bytes are generated at build time by tools/figures and embedded
// as `toy_figure_packed` and `blocky_figure_packed`.
#pragma once
#include "mesh/mesh.h"

extern Mesh toy_figure;     // empty until decode_figures(); angles set by the walk pose
extern Mesh blocky_figure;  // empty until decode_figures(); never changed after

// Decodes `toy_figure` from its packed bytes, then `blocky_figure`. A packed
// figure that fails to decode (a build fault; tests guard against it)
// leaves that figure empty, so drawing it does nothing, and prints one line
// to stderr.
void decode_figures();
