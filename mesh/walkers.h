// The walking figures: a walk cycle for `toy_figure`, and rows of two or
// three copies of it in the same pose, bobbing and swaying together.
//
// Render thread only, inside a frame, with the projection and the caller's
// placement already on the modelview matrix. The pose is written into the
// `angle` of five objects of the figure and stays there until the next call.
#pragma once
#include "mesh/mesh.h"

// Sets the walk pose for time `t` (seconds) on the first object in list
// order named "rarm", "larm", "head", "lfoot" and "rfoot" (degrees about
// each one's pivot axis): arms 60 sin(-5t) +/- 10, head 15 sin(5t), legs
// 40 sin(5t). A part the figure lacks is skipped. One period is 2 pi / 5 s.
void pose_walker(Mesh& figure, float t);

// Draws `walker_count` == 2 ? two : three copies of toy_figure 7 units apart
// along x, posed for time `t`, bobbing by sin(10t) / 10 - 0.5 and swaying
// by -2 cos(5t) degrees about z. The row starts at x = 3.5 - 3.5 *
// walker_count, so two or three copies are centred on the caller's origin.
// Leaves depth test, face culling and lighting enabled, and the figure's
// lights set up.
void draw_walkers(int walker_count, float t);
