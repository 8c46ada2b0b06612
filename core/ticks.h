// The one tick source that scene clocks read (milliseconds).
//
// By default it is SDL_GetTicks(). A driver that runs the show on a virtual
// clock (the capture tool, scene tests) replaces it, so every frame sees an
// exact, repeatable time. Main thread only.
#pragma once
#include <cstdint>

using TickSource = uint32_t (*)();

// Milliseconds from the current source.
uint32_t get_ticks();

// Replaces the source; nullptr restores SDL_GetTicks.
void set_tick_source(TickSource source);

// Switches to the built-in virtual clock and sets it to `ms`. Later calls
// just move the virtual clock.
void set_virtual_ticks(uint32_t ms);
