// The bricks module's state, defined in one place: start-up
// (display_lists.cpp, block_text.cpp) writes it and the scenes read it.
// Threads and ownership: bricks/bricks_state.h.
#include "bricks/bricks_state.h"

BricksState brick_state;
