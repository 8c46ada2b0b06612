// The two scene clocks: the frame loop computes them once per frame from
// the tick source (core/ticks.h), and the scene blocks reset their start
// marks so that the next scene starts its clock near zero. Main thread
// only.
//
// Ownership: `scene_clocks` is static, all zero at program start, which
// the first-frame rule of update_scene_clocks relies on.
#pragma once

struct SceneClocks {
    float clock_a_start = 0;  // ms of get_ticks(); 0 until the first frame
    float clock_a = 0;        // s, (ticks - clock_a_start) / 1000
    float clock_b_start = 0;  // ms of get_ticks(); 0 until a scene resets it
    float clock_b = 0;        // s, (ticks - clock_b_start) / 1000
};
extern SceneClocks scene_clocks;

// Computes both clocks from the current ticks. On the first frame clock A
// starts now; clock B counts from tick 0 until a scene sets its mark.
void update_scene_clocks();

// Sets the start mark of a clock to the current ticks; the clocks of the
// frame being drawn are already computed, so it takes effect next frame.
void reset_clock_a();
void reset_clock_b();
