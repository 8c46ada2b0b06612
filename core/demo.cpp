// The demo core's window state, defined apart from start-up (which fills
// it) and the frame loop (which reads it), so that neither file needs the
// other for it. Main thread.
#include "core/demo.h"

DemoState demo;
