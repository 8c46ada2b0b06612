// The two figures of the demo, modelled in code (build time only).
//
// Both are built in record order with the object, group and material names
// the demo relies on; tools/make_figures.cpp encodes them into packed meshes
// that data/ embeds.
#pragma once
#include "mesh/mesh_encode.h"

// The toy figure that walks: yellow cylindrical head with a black face, red
// torso and arms, yellow hands, blue hips and legs. Its arms, legs and head
// each turn about a pivot marker; two light markers aim the lights.
MeshSource build_toy_figure();

// The blocky character built from bricks, wearing a black top hat.
MeshSource build_blocky_figure();
