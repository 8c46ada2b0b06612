#include "capture/progress.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>

namespace {
// Characters of the terminal bar between its brackets; the whole line stays
// under 80 columns.
constexpr int bar_width = 24;

double rate_of(int64_t done, double elapsed) { return elapsed > 0 ? static_cast<double>(done) / elapsed : 0.0; }

// "DONE/TOTAL UNIT, RATE RATE_UNIT, M:SS left" (the time left only once a
// rate is known).
std::string figures(const Progress& p, int64_t done, double now, const char* separator) {
    const double rate = rate_of(done, now - p.started);
    char text[160];
    int n = std::snprintf(text, sizeof text, "%lld/%lld %s%s%.1f %s", static_cast<long long>(done),
                          static_cast<long long>(p.total), p.unit, separator, rate, p.rate_unit);
    if (rate > 0 && n > 0 && n < static_cast<int>(sizeof text))
        std::snprintf(text + n, sizeof text - n, "%s%s left", separator,
                      minutes_seconds(static_cast<double>(p.total - done) / rate).c_str());
    return text;
}
}  // namespace

double progress_clock() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

std::string minutes_seconds(double seconds) {
    const auto whole = static_cast<long long>(std::ceil(std::max(seconds, 0.0)));
    char text[32];
    std::snprintf(text, sizeof text, "%lld:%02lld", whole / 60, whole % 60);
    return text;
}

std::string seconds_text(double seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f s", seconds);
    return text;
}

void start_progress(Progress& progress, std::FILE* out, int64_t total, double now) {
    progress.out = out;
    progress.terminal = isatty(fileno(out)) != 0;
    progress.total = std::max<int64_t>(total, 1);
    progress.started = now;
    progress.last_report = now;
    progress.bar_drawn = false;
}

void update_progress(Progress& progress, int64_t done, double now) {
    const double interval = progress.terminal ? progress_bar_interval : progress_line_interval;
    if (now - progress.last_report < interval) return;
    progress.last_report = now;
    if (!progress.terminal) {
        std::fprintf(progress.out, "tumbo-capture: %s\n", figures(progress, done, now, ", ").c_str());
        std::fflush(progress.out);
        return;
    }
    const int filled = static_cast<int>(bar_width * std::clamp<int64_t>(done, 0, progress.total) / progress.total);
    char bar[bar_width + 1];
    for (int i = 0; i < bar_width; ++i) bar[i] = i < filled ? '#' : '.';
    bar[bar_width] = '\0';
    // \r back to the line's start, \033[K clears what a longer line left.
    std::fprintf(progress.out, "\r[%s] %s\033[K", bar, figures(progress, done, now, "  ").c_str());
    std::fflush(progress.out);
    progress.bar_drawn = true;
}

void finish_progress(Progress& progress, int64_t done, double now, const std::string& tail) {
    if (progress.bar_drawn) std::fputc('\n', progress.out);
    progress.bar_drawn = false;
    const double elapsed = now - progress.started;
    const std::string time_taken = elapsed < 60 ? seconds_text(elapsed) : minutes_seconds(elapsed);
    std::fprintf(progress.out, "tumbo-capture: %lld/%lld %s in %s (%.1f %s)%s\n", static_cast<long long>(done),
                 static_cast<long long>(progress.total), progress.unit, time_taken.c_str(), rate_of(done, elapsed),
                 progress.rate_unit, tail.c_str());
    std::fflush(progress.out);
}
