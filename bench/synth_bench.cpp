// Synthesizer benchmarks:
//  - WholeSong: the song from frame 0 to the end of bar 72 through the real
//    callback in 4096-frame buffers; reports its real-time factor.
//  - CallbackPerBuffer: the cost of each 4096-frame callback over the whole
//    song, median and worst, and the worst as a share of the 92.9 ms of
//    sound the buffer holds.
//  - Startup: init_synth plus parse_score of the embedded score, the
//    instruments rendered on every core (`taskset -c 0` confines it to one).
// Run: build/bench/synth_bench --benchmark_repetitions=9
//      --benchmark_report_aggregates_only=true (figures in BENCHMARKS.md).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <vector>

#include "core/show_bars.h"
#include "synth/audio_driver.h"
#include "synth/synth.h"
#include "synth/synth_state.h"

namespace {
// A fresh synthesizer with the embedded song; returns the frames through its
// last bar.
int64_t start_song() {
    std::srand(1);
    init_synth();
    parse_score();
    return frames_through_bar(last_song_bar);
}

std::vector<uint8_t> buffer(audio_buffer_frames * 4);  // one device buffer, 16-bit stereo
void play_buffer() { audio_callback(nullptr, buffer.data(), static_cast<int>(buffer.size())); }

void BM_WholeSong(benchmark::State& state) {
    double song_seconds = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const int64_t frames = start_song();
        state.ResumeTiming();
        for (int64_t done = 0; done < frames; done += audio_buffer_frames) play_buffer();
        song_seconds += double(frames) / sample_rate;
    }
    // Seconds of song per second of rendering: the real-time factor.
    state.counters["realtime_factor"] = benchmark::Counter(song_seconds, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_WholeSong)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

void BM_CallbackPerBuffer(benchmark::State& state) {
    // Per buffer of the song its fastest run in seconds (1e9 until measured),
    // which filters out preemption.
    std::vector<double> fastest((start_song() + audio_buffer_frames - 1) / audio_buffer_frames, 1e9);
    double slowest_seen = 0;  // the single slowest call observed, noise included
    for (auto _ : state) {
        start_song();
        double total = 0;
        for (double& best : fastest) {
            const auto begin = std::chrono::steady_clock::now();
            play_buffer();
            const double t = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
            total += t;
            slowest_seen = std::max(slowest_seen, t);
            best = std::min(best, t);
        }
        state.SetIterationTime(total);
    }
    std::sort(fastest.begin(), fastest.end());
    state.counters["buffers"] = double(fastest.size());
    state.counters["median_us"] = fastest[fastest.size() / 2] * 1e6;
    state.counters["worst_us"] = fastest.back() * 1e6;
    // The worst as a share of the 92.9 ms of sound in a buffer.
    state.counters["worst_pct_of_buffer"] = 100.0 * fastest.back() * sample_rate / audio_buffer_frames;
    state.counters["slowest_seen_us"] = slowest_seen * 1e6;
}
BENCHMARK(BM_CallbackPerBuffer)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(7);

void BM_Startup(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(start_song());
}
BENCHMARK(BM_Startup)->Unit(benchmark::kMillisecond)->UseRealTime();
}  // namespace

BENCHMARK_MAIN();
