#include "core/frame_pacer.h"

namespace {
constexpr int fallback_refresh_hz = 60;
// Frames that keep the loop busy for less than this share of a period did
// not wait for the display.
constexpr double unpaced_share = 0.8;
constexpr double smoothing = 0.1;  // weight of the newest frame in busy_s
}  // namespace

void set_refresh_rate(FramePacer& pacer, int refresh_hz) {
    pacer.period_s = 1.0 / (refresh_hz > 0 ? refresh_hz : fallback_refresh_hz);
}

double pace_frame(FramePacer& pacer, double now_s) {
    if (pacer.resume_s < 0) {  // first frame: nothing measured yet
        pacer.busy_s = pacer.period_s;
        pacer.resume_s = now_s;
        return 0;
    }
    pacer.busy_s += smoothing * ((now_s - pacer.resume_s) - pacer.busy_s);
    pacer.pacing = pacer.busy_s < unpaced_share * pacer.period_s;
    double sleep_s = 0;
    if (!pacer.pacing) {
        pacer.deadline_s = -1;
    } else {
        // Each frame ends one period after the last; a frame that ran more
        // than a period late starts the schedule over instead of rushing.
        if (pacer.deadline_s < 0 || now_s > pacer.deadline_s + pacer.period_s) pacer.deadline_s = now_s;
        if (now_s < pacer.deadline_s) sleep_s = pacer.deadline_s - now_s;
        pacer.deadline_s += pacer.period_s;
    }
    pacer.resume_s = now_s + sleep_s;
    return sleep_s;
}
