// Score parser: turns the score text into the tempo, the instruments, and the
// pattern and track tables. Main thread, at start-up, before the audio device
// is unpaused. It edits the text in place and reports nothing.
//
// The score language, line by line (spaces and carriage returns do not
// count, empty lines vanish, only the first 1000 lines are read):
//   # ...                       comment (the '#' must come first)
//   bpm:B                       tempo in beats per minute
//   iN:wave,a,b,c,d,e[,f,g,h]   instrument N (see render_instrument)
//   pN:token,token,...          pattern N: note names, 0, echo1, echo0, stop,
//                               vol,V and sld,S
//   tN:item,item,...            track N: pattern numbers after one letter
//                               ("p7"), or loop
// Input the language does not define is made harmless here rather than
// trusted: numbers outside the tables drop their line or item, over-long
// lists are cut, a tempo that gives no step length is ignored.
#include <cstdlib>
#include <cstring>
#include <vector>

#include "embedded/embedded_score.h"
#include "synth/synth.h"
#include "synth/synth_state.h"

namespace {
constexpr int32_t max_lines = 1000;  // lines after these are ignored
// Samples per step are (44100 * 6) / ((B * 10) / 25) for a tempo of B bpm:
// a step is a sixteenth note, 60 / B / 4 seconds.
constexpr int64_t step_numerator = int64_t{sample_rate} * 6;
constexpr int32_t echo_steps = 3;  // echo ring length in steps

// Reads a decimal integer like strtol with base 10 (leading white space, an
// optional sign, digits; anything after them ignored; no digits give 0),
// clamped to the 32-bit range.
int32_t read_int(const char* text) {
    const long value = std::strtol(text, nullptr, 10);
    if (value > INT32_MAX) return INT32_MAX;
    if (value < INT32_MIN) return INT32_MIN;
    return static_cast<int32_t>(value);
}

// Cuts the next comma-separated piece out of *cursor in place, skipping
// empty pieces. Returns it NUL-terminated, or nullptr when none is left.
char* next_piece(char** cursor) {
    char* p = *cursor;
    while (*p == ',') ++p;
    if (*p == '\0') {
        *cursor = p;
        return nullptr;
    }
    char* piece = p;
    while (*p != '\0' && *p != ',') ++p;
    if (*p == ',') *p++ = '\0';
    *cursor = p;
    return piece;
}

int32_t token_value(const char* name) {
    for (const Token& token : synth.fixed.token_table)
        if (std::strcmp(token.name, name) == 0) return token.value;
    return 0;  // unknown tokens are hold steps
}

// Per-parse state: the wave of the previous instrument line, which an
// unknown wave word repeats (square before the first line).
struct ParseState {
    int32_t previous_wave = wave_square;
};

void replace_echo_ring(Voice& v, int32_t length) {
    delete[] v.echo_ring;
    v.echo_ring = new float[static_cast<size_t>(length)]();
    v.echo_ring_length = length;
    v.ring_silent = 1;
}

void parse_tempo(const char* text) {
    const int64_t beats = read_int(text);
    const int64_t divisor = beats * 10 / 25;
    // Below 3 bpm the divisor is 0 (or negative); above about 661500 bpm the
    // step would be shorter than a sample. Either leaves no step length, so
    // the line is ignored and the tempo stays as it was.
    if (divisor <= 0) return;
    const int64_t samples = step_numerator / divisor;
    if (samples < 1) return;
    synth.clock.samples_per_step = static_cast<int32_t>(samples);
    synth.clock.echo_length = static_cast<int32_t>(echo_steps * samples);
}

void parse_instrument(int32_t n, char* list, ParseState& state) {
    if (n < 0 || n >= voice_count) return;
    Voice& v = synth.voices[n];
    replace_echo_ring(v, synth.clock.echo_length);

    const char* word = next_piece(&list);
    int32_t wave = state.previous_wave;
    if (word) {
        if (std::strcmp(word, "kantti") == 0) wave = wave_square;
        else if (std::strcmp(word, "sini") == 0) wave = wave_sine;
        else if (std::strcmp(word, "saha") == 0) wave = wave_saw;
        else if (std::strcmp(word, "kohina") == 0) wave = wave_noise;
    }
    state.previous_wave = wave;

    // a, b, c, d, e are required, f, g, h optional; a missing one reads 0.
    int32_t field[8] = {};
    int32_t present = 0;
    while (present < 8) {
        const char* piece = next_piece(&list);
        if (!piece) break;
        field[present++] = read_int(piece);
    }
    if (present > 6) v.pan = static_cast<float>(field[6]) / 100.0f;
    if (present > 7) v.lowpass = static_cast<float>(field[7]) / 100.0f;
    render_instrument(n, wave, field[0], field[1], field[2], field[3], field[4], field[5]);
}

void parse_pattern(int32_t n, char* list) {
    if (n < 0 || n >= pattern_count) return;
    int32_t* entries = synth.score.pattern_table[n];
    // Entries 0..98 hold the pattern; the end marker needs the last slot.
    constexpr int32_t capacity = pattern_entries - 1;
    int32_t count = 0;
    while (const char* token = next_piece(&list)) {
        const int32_t value = token_value(token);
        if (value == command_volume || value == command_slide) {
            // A command and its argument are stored together or not at all.
            if (count + 2 > capacity) break;
            const char* argument = next_piece(&list);
            entries[count++] = value;
            entries[count++] = argument ? read_int(argument) : 0;
            if (!argument) break;
        } else {
            if (count + 1 > capacity) break;
            entries[count++] = value;
        }
    }
    entries[count] = entry_end;
}

void parse_track(int32_t n, char* list) {
    if (n < 0 || n >= voice_count) return;
    int32_t* entries = synth.score.track_table[n];
    constexpr int32_t capacity = track_entries - 1;  // room for the end marker
    int32_t count = 0;
    while (const char* item = next_piece(&list)) {
        if (count == capacity) break;
        if (std::strcmp(item, "loop") == 0) {
            // A loop before any pattern would send the track back to itself.
            if (count > 0) entries[count++] = entry_loop;
            continue;
        }
        const int32_t pattern = read_int(item + 1);  // "p23" and "x23" both name pattern 23
        if (pattern < 0 || pattern >= pattern_count) continue;  // no such pattern
        entries[count++] = pattern;
    }
    entries[count] = entry_end;
}

void parse_line(char* line, ParseState& state) {
    if (line[0] == '#') return;
    // The key is the first non-empty piece between ':'s.
    char* key = line;
    while (*key == ':') ++key;
    if (*key == '\0') return;
    char* rest = std::strchr(key, ':');
    if (rest) *rest++ = '\0';
    else rest = key + std::strlen(key);

    if (std::strcmp(key, "bpm") == 0) {
        parse_tempo(rest);
        return;
    }
    const int32_t n = read_int(key + 1);
    switch (key[0]) {
        case 'i': parse_instrument(n, rest, state); break;
        case 'p': parse_pattern(n, rest); break;
        case 't': parse_track(n, rest); break;
        default: break;  // unknown keys are ignored
    }
}

// Leaves every voice playable: an echo ring of the song's final echo length
// (an instrument line before the tempo line, or a second tempo line, left
// rings of another length) and a wave buffer (a track may have no
// instrument line; such a voice plays one silent sample per note).
void complete_voices() {
    for (Voice& v : synth.voices) {
        if (v.echo_ring_length != synth.clock.echo_length) replace_echo_ring(v, synth.clock.echo_length);
        if (!v.wave_buffer) {
            v.wave_buffer = new float[1]();
            v.wave_length = 1;
        }
    }
    synth.ready = true;
}
}  // namespace

int parse_score(char* text) {
    if (text) {
        // Squeeze out spaces and carriage returns; tabs stay.
        char* write = text;
        for (const char* read = text; *read; ++read)
            if (*read != ' ' && *read != '\r') *write++ = *read;
        *write = '\0';

        ParseState state;
        int32_t lines = 0;
        char* cursor = text;
        while (*cursor != '\0' && lines < max_lines) {
            char* line = cursor;
            char* newline = std::strchr(cursor, '\n');
            if (newline) {
                *newline = '\0';
                cursor = newline + 1;
            } else {
                cursor += std::strlen(cursor);
            }
            if (*line == '\0') continue;  // empty lines vanish and do not count
            ++lines;
            parse_line(line, state);
        }
    }
    complete_voices();
    return 0;
}

int parse_score() {
    // The parser cuts its text in place, so it works on a writable copy; the
    // tables keep nothing that points into it.
    std::vector<char> text(embedded_score, embedded_score + embedded_score_size);
    text.push_back('\0');
    return parse_score(text.data());
}
