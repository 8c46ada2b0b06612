#include "core/ticks.h"

#include <SDL.h>

namespace {
uint32_t sdl_ticks() { return SDL_GetTicks(); }

uint32_t virtual_now_ms = 0;  // virtual clock, milliseconds; main thread
uint32_t virtual_ticks() { return virtual_now_ms; }

TickSource tick_source = sdl_ticks;  // main thread
}  // namespace

uint32_t get_ticks() { return tick_source(); }

void set_tick_source(TickSource source) { tick_source = source ? source : sdl_ticks; }

void set_virtual_ticks(uint32_t ms) {
    virtual_now_ms = ms;
    tick_source = virtual_ticks;
}
