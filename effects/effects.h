// Scene effects: four animated set pieces that the scenes call once per
// frame with a time argument. Each replays display lists compiled at
// start-up (bricks/display_lists.h) under its own transforms, and sets the
// GL switches and the light-0 parameters it relies on, because no state is
// reset between frames.
//
// Thread: the main (render) thread, inside a frame, with the projection and
// the caller's placement on the modelview matrix. Every effect leaves the
// modelview matrix as it found it. No state of their own; the brick cloud
// reseeds the C library's rand() on every call.
#pragma once
#include <cstdint>

// The three shape lists (a brick inside two wire-frame boxes) nested at one
// point 14 units ahead, each rocking on its own phase while the group
// tumbles about x at 30 degrees per second. `t`: seconds; a negative `t`
// plays the motion backwards. Leaves light 0's quadratic attenuation at
// 0.001.
void draw_shape_trio(float t);

// Six copies of the ringed floor list, 10 units apart, sliding towards the
// viewer at 25 units per second and wrapping every 10 units.
// `direction` 1 places the tunnel 60 units ahead, anything else 50.
// `t`: seconds; negative runs the rings away from the viewer.
void draw_floor_tunnel(int direction, float t);

// The brick ball tumbling 7.8 units ahead: 10 degrees per second about y,
// 80 about x. `t`: seconds.
void draw_arc_swing(float t);

// A 16x16 picture of white and black bricks raining onto a red plate and
// staying there. `picture` 0..2 selects the picture and seeds rand();
// `t`: seconds of the fall schedule (each brick starts between 0 and 8 s and
// lands 1.73 s later; t < 0 keeps every brick up); `spin`: degrees the plate
// is turned about its up axis.
void draw_brick_cloud(int picture, float t, float spin);

// The brick cloud's pictures: 48 rows of 16 bytes, 0x00 black, 0xFF white;
// table row r is row r / 3 of picture r % 3. Embedded from
// data/face_pictures.bin.
constexpr int cloud_picture_count = 3;
constexpr int cloud_picture_side = 16;  // bricks per row and per column
