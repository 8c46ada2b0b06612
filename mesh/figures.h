// The two embedded figures, decoded once at start-up on the main thread.
// (Placeholder until the mesh decoder lands.)
#pragma once

// Decodes `toy_figure` from its packed bytes, then `blocky_figure`.
void decode_figures();
