// The audio thread's rule: the callback never allocates and never locks.
// The whole song runs through it under the hook, which also shows that it
// would have seen either.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <mutex>
#include <thread>
#include <vector>

#include "alloc_lock_hook.h"
#include "core/show_bars.h"
#include "synth/audio_driver.h"
#include "synth/synth.h"
#include "synth/synth_state.h"

static_assert(std::atomic<int32_t>::is_always_lock_free, "song_bar and trigger counts must not hide a lock");

TEST(Hook, SeesAllocationsAndLocksOnTheArmedThreadOnly) {
    std::atomic<int> stage{0};  // 1: the main thread is armed; 2: the other thread has allocated
    std::thread other([&] {
        while (stage.load() != 1) {}
        ::operator delete(::operator new(24));
        stage = 2;
    });
    arm_hook();
    stage = 1;
    while (stage.load() != 2) {}
    ::operator delete(::operator new(24));
    std::mutex m;
    m.lock();
    m.unlock();
    if (hook_sees_malloc()) {
        void* volatile p = std::malloc(40);  // volatile: the pair may not be elided
        std::free(p);
    }
    const HookCounts seen = disarm_hook();
    other.join();
    EXPECT_EQ(seen.allocations, hook_sees_malloc() ? 2 : 1);  // new counts once, wherever it is seen
    EXPECT_EQ(seen.bytes, hook_sees_malloc() ? 64 : 24);
    EXPECT_EQ(seen.locks, 1);
}

TEST(AudioCallback, PlaysTheWholeSongWithoutAllocatingOrLocking) {
    init_synth();
    parse_score();
    const int64_t frames = frames_through_bar(last_song_bar);
    std::vector<uint8_t> buffer(4 * audio_buffer_frames);  // one device buffer, 16-bit stereo
    arm_hook();
    for (int64_t done = 0; done < frames; done += audio_buffer_frames)
        audio_callback(nullptr, buffer.data(), static_cast<int>(buffer.size()));
    const HookCounts seen = disarm_hook();
    EXPECT_GT(song_bar.load(), last_song_bar - 1);  // the song really played
    EXPECT_EQ(seen.allocations, 0);
    EXPECT_EQ(seen.locks, 0);
}
