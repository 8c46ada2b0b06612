// Drawing a decoded Mesh with the fixed-function pipeline, in immediate
// mode, every call: light markers become OpenGL lights, objects linked to a
// pivot marker are turned about it by their `angle`, each group sets the
// front material, and each face goes out as one GL_POLYGON with a normal
// per corner. Nothing is compiled into display lists.
//
// Render thread only, with the GL context current. The caller sets the
// projection, the modelview placement and the enables (lighting, depth
// test, culling); drawing leaves the modelview matrix as it found it.
#pragma once
#include <cstdint>

#include "mesh/mesh.h"

// The eight OpenGL light names (GL_LIGHT0 .. GL_LIGHT7), in slot order.
extern const unsigned int light_ids[max_mesh_lights];

// Index into light_ids that the next light marker drawn takes: 0 at start,
// +1 per light marker, back to 0 with every solid object. Render thread.
extern int32_t light_slot;

// Draws the whole mesh: when it has light markers, first disables all eight
// lights, then sets up every light marker (in list order), then draws every
// other object (in list order). So all lights of a mesh are set before any
// of its geometry, and the next mesh's markers start again at GL_LIGHT0.
void draw_mesh(const Mesh& mesh);

// Draws one object of `mesh`: nothing for a pivot marker; the light for a
// light marker (ignored once all eight slots are taken); the polygons for a
// solid. Called by draw_mesh().
void draw_mesh_object(const Mesh& mesh, const MeshObject& object);
