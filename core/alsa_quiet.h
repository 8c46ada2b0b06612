// Silences the ALSA library's own error messages. Main thread, at start-up,
// before SDL opens the audio device.
//
// Without a sound card, ALSA prints several lines about its configuration on
// stderr before SDL gives up on it; the demo's own one-line message (with
// SDL's reason) is what the user needs. The library is looked up with
// dlopen, so nothing here needs ALSA at build or run time: where it is not
// installed this does nothing. The library stays loaded for the process's
// life, so the handler stays installed.
#pragma once

void quiet_alsa_library_messages();
