// Display lists compiled once at start-up, on the main thread with the GL
// context current. The start-up sequence calls these in order, with the
// global GL state step between the floor list and the spiral lists.
// (Placeholders until the brick builder lands.)
#pragma once

void build_shape_lists();
void build_floor_list();
void build_spiral_lists();
void build_arc_list();
void build_glyph_index();
void build_brick_lists();
