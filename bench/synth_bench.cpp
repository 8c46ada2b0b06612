// Synthesizer benchmarks:
//  - WholeSong: the song from frame 0 to the end of bar 72 through the real
//    callback in 4096-frame buffers; reports its real-time factor.
//  - CallbackPerBuffer: the cost of each 4096-frame callback over the whole
//    song, median and worst, and the worst as a share of the 92.9 ms of
//    sound the buffer holds.
//  - Startup: init_synth plus parse_score of the embedded score.
// Run: build/bench/synth_bench (figures in BENCHMARKS.md).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <vector>

#include "synth/audio_driver.h"
#include "synth/synth.h"
#include "synth/synth_state.h"

namespace {
constexpr double buffer_seconds = double(audio_buffer_frames) / sample_rate;  // 0.0929 s

void start_song() {
    std::srand(1);
    init_synth();
    parse_score();
}

void BM_WholeSong(benchmark::State& state) {
    std::vector<uint8_t> buffer(audio_buffer_frames * 4);
    double song_seconds = 0;
    for (auto _ : state) {
        state.PauseTiming();
        start_song();
        const int64_t frames = frames_through_bar(last_song_bar);
        state.ResumeTiming();
        for (int64_t done = 0; done < frames; done += audio_buffer_frames)
            audio_callback(nullptr, buffer.data(), static_cast<int>(buffer.size()));
        benchmark::DoNotOptimize(buffer.data());
        song_seconds += double(frames) / sample_rate;
    }
    // Seconds of song per second of rendering: the real-time factor.
    state.counters["realtime_factor"] = benchmark::Counter(song_seconds, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_WholeSong)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

void BM_CallbackPerBuffer(benchmark::State& state) {
    using clock = std::chrono::steady_clock;
    std::vector<uint8_t> buffer(audio_buffer_frames * 4);
    std::vector<double> fastest;  // per buffer: its fastest run, which filters out preemption
    double slowest_seen = 0;      // the single slowest call observed, noise included
    for (auto _ : state) {
        start_song();
        const int64_t frames = frames_through_bar(last_song_bar);
        double total = 0;
        size_t index = 0;
        for (int64_t done = 0; done < frames; done += audio_buffer_frames, ++index) {
            const auto begin = clock::now();
            audio_callback(nullptr, buffer.data(), static_cast<int>(buffer.size()));
            const double t = std::chrono::duration<double>(clock::now() - begin).count();
            total += t;
            slowest_seen = std::max(slowest_seen, t);
            if (index >= fastest.size()) fastest.push_back(t);
            else fastest[index] = std::min(fastest[index], t);
        }
        state.SetIterationTime(total);
    }
    std::vector<double> sorted = fastest;
    std::sort(sorted.begin(), sorted.end());
    const double median = sorted[sorted.size() / 2], worst = sorted.back();
    state.counters["buffers"] = double(sorted.size());
    state.counters["median_us"] = median * 1e6;
    state.counters["worst_us"] = worst * 1e6;
    state.counters["worst_pct_of_buffer"] = 100.0 * worst / buffer_seconds;
    state.counters["slowest_seen_us"] = slowest_seen * 1e6;
}
BENCHMARK(BM_CallbackPerBuffer)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(7);

void BM_Startup(benchmark::State& state) {
    for (auto _ : state) {
        start_song();
        benchmark::DoNotOptimize(synth.voices[9].wave_buffer);
    }
}
BENCHMARK(BM_Startup)->Unit(benchmark::kMillisecond)->UseRealTime();
}  // namespace

BENCHMARK_MAIN();
