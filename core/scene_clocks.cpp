#include "core/scene_clocks.h"

#include "core/ticks.h"

SceneClocks scene_clocks;

void update_scene_clocks() {
    if (scene_clocks.clock_a_start <= 0) scene_clocks.clock_a_start = static_cast<float>(get_ticks());
    scene_clocks.clock_a = static_cast<float>((static_cast<double>(get_ticks()) - scene_clocks.clock_a_start) / 1000.0);
    scene_clocks.clock_b = static_cast<float>((static_cast<double>(get_ticks()) - scene_clocks.clock_b_start) / 1000.0);
}

void reset_clock_a() { scene_clocks.clock_a_start = static_cast<float>(get_ticks()); }
void reset_clock_b() { scene_clocks.clock_b_start = static_cast<float>(get_ticks()); }
