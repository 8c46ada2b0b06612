#include "bricks/display_lists.h"

void build_shape_lists() {}
void build_floor_list() {}
void build_spiral_lists() {}
void build_arc_list() {}
void build_glyph_index() {}
void build_brick_lists() {}
