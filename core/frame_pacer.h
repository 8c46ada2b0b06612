// Frame pacing for drivers that do not wait for the display when buffers
// are swapped (no vsync: Xvfb, some drivers, a user's setting). Without it
// the frame loop would draw thousands of frames a second, spin a core, and
// on a software renderer starve the audio thread. With vsync honoured the
// swap itself takes about one refresh period and the pacer never sleeps.
//
// Pure: the frame loop passes the time after each swap and sleeps for the
// returned time. Main thread.
#pragma once

struct FramePacer {
    double period_s = 1.0 / 60.0;  // one display refresh, seconds
    double resume_s = -1;          // when the loop last went on after pacing; -1 before the first frame
    double busy_s = 0;             // smoothed time from resuming to the end of the swap
    double deadline_s = -1;        // when the current frame should end when pacing; -1 none
    bool pacing = false;           // frames are coming faster than the display shows them
};

// Refresh rate of the display in Hz, or 0 when unknown (60 is then used).
void set_refresh_rate(FramePacer& pacer, int refresh_hz);

// Called after each swap at time `now_s` (seconds, any steady origin).
// Returns how long to sleep before the next frame (0 when not pacing).
double pace_frame(FramePacer& pacer, double now_s);
