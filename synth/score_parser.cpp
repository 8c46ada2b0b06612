// Score parser: turns the score text into the tempo, the instruments, and the
// pattern and track tables. Main thread, at start-up, before the audio device
// is unpaused. It edits the text in place. It reports nothing unless the
// caller asks for a list of problems (the capture tool does, for people
// editing a score); the tables come out the same either way.
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
#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <string>
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

// The token named exactly `name`, or nullptr (the language stores a hold).
const Token* find_token(const char* name) {
    for (const Token& token : synth.fixed.token_table)
        if (std::strcmp(token.name, name) == 0) return &token;
    return nullptr;
}

// True when `text` is exactly what read_int reads: an optional sign and one
// or more digits, nothing else.
bool whole_number(const char* text) {
    if (*text == '+' || *text == '-') ++text;
    if (*text < '0' || *text > '9') return false;
    while (*text >= '0' && *text <= '9') ++text;
    return *text == '\0';
}

// True when *cursor still holds a non-empty list piece. Leaves it uncut.
bool more_pieces(const char* cursor) { return cursor[std::strspn(cursor, ",")] != '\0'; }

// A piece of score text quoted for a message: cut short if it is long, and
// with control and non-ASCII bytes written as \xNN, so that a message never
// carries terminal control sequences out of a file.
std::string quoted(const char* text) {
    constexpr size_t longest = 24;  // characters shown before "..."
    const size_t n = std::strlen(text);
    std::string out = "'";
    for (size_t i = 0; i < n && i < longest; ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c >= 0x20 && c < 0x7f) {  // printable ASCII
            out += static_cast<char>(c);
        } else {
            constexpr char hex[] = "0123456789abcdef";
            out += {'\\', 'x', hex[c >> 4], hex[c & 15]};
        }
    }
    return out + (n > longest ? "...'" : "'");
}

// Per-parse state. The problem list and what it needs (line numbers, which
// patterns and instruments lines defined) are only for reporting; nothing
// here but `previous_wave` changes what is stored.
struct ParseState {
    int32_t previous_wave = wave_square;  // the wave an unknown wave word repeats (square before any line)
    std::vector<ScoreProblem>* problems = nullptr;  // the caller's list, or nullptr: report nothing
    int32_t line = 0;                               // 1-based line of the text being parsed
    std::array<int32_t, voice_count> track_line{};  // line of the last definition of each track, 0 = none
    std::array<bool, voice_count> instrument_defined{};
    std::array<bool, pattern_count> pattern_defined{};
    // Instrument lines in order, rendered all together once the text is
    // read (a voice defined twice keeps its last line).
    std::vector<InstrumentRequest> instruments;
};

void report(ParseState& state, const std::string& reason) {
    if (state.problems) state.problems->push_back({state.line, reason});
}

// Reads a number of the score and says so when it is not written as one.
int32_t read_number(const char* text, ParseState& state) {
    const int32_t value = read_int(text);
    if (state.problems && !whole_number(text))
        report(state, quoted(text) + " is not a whole number; read as " + std::to_string(value));
    return value;
}

void replace_echo_ring(Voice& v, int32_t length) {
    delete[] v.echo_ring;
    v.echo_ring = new float[static_cast<size_t>(length)]();
    v.echo_ring_length = length;
    v.ring_silent = 1;
}

void parse_tempo(const char* text, ParseState& state) {
    const int64_t beats = read_number(text, state);
    const int64_t divisor = beats * 10 / 25;
    // Below 3 bpm the divisor is 0 (or negative); above about 661500 bpm the
    // step would be shorter than a sample. Either leaves no step length, so
    // the line is ignored and the tempo stays as it was.
    const int64_t samples = divisor > 0 ? step_numerator / divisor : 0;
    if (samples < 1) {
        report(state, "a tempo of " + std::to_string(beats) + " bpm gives no step length; line ignored");
        return;
    }
    synth.clock.samples_per_step = static_cast<int32_t>(samples);
    synth.clock.echo_length = static_cast<int32_t>(echo_steps * samples);
}

void parse_instrument(int32_t n, char* list, ParseState& state) {
    if (n < 0 || n >= voice_count) {
        report(state, "instrument " + std::to_string(n) + " is outside 0 to 29; line ignored");
        return;
    }
    state.instrument_defined[n] = true;
    Voice& v = synth.voices[n];

    const char* word = next_piece(&list);
    int32_t wave = state.previous_wave;
    if (word) {
        if (std::strcmp(word, "kantti") == 0) wave = wave_square;
        else if (std::strcmp(word, "sini") == 0) wave = wave_sine;
        else if (std::strcmp(word, "saha") == 0) wave = wave_saw;
        else if (std::strcmp(word, "kohina") == 0) wave = wave_noise;
        else report(state, "unknown wave " + quoted(word) + " (kantti, sini, saha or kohina); the previous wave plays");
    }
    state.previous_wave = wave;

    // a, b, c, d, e are required, f, g, h optional; a missing one reads 0.
    constexpr int32_t required = 5;
    int32_t field[8] = {};
    int32_t present = 0;
    while (present < 8) {
        const char* piece = next_piece(&list);
        if (!piece) break;
        field[present++] = read_number(piece, state);
    }
    if (present < required)
        report(state, "an instrument needs a wave and " + std::to_string(required) + " numbers; the " +
                          std::to_string(required - present) + " missing read 0");
    if (more_pieces(list)) report(state, "an instrument takes at most 8 numbers; the rest are ignored");
    if (state.problems) {
        int64_t envelope = 0;
        for (int32_t i = 0; i < 4; ++i) envelope += field[i] < 0 ? 0 : field[i];
        if (field[0] < 0 || field[1] < 0 || field[2] < 0 || field[3] < 0)
            report(state, "a negative envelope length counts as 0");
        if (envelope > max_instrument_samples)
            report(state, "the envelope of " + std::to_string(envelope) + " samples is cut to " +
                              std::to_string(max_instrument_samples));
    }
    if (present > 6) v.pan = static_cast<float>(field[6]) / 100.0f;
    if (present > 7) v.lowpass = static_cast<float>(field[7]) / 100.0f;
    state.instruments.push_back({n, wave, field[0], field[1], field[2], field[3], field[4], field[5]});
}

void parse_pattern(int32_t n, char* list, ParseState& state) {
    if (n < 0 || n >= pattern_count) {
        report(state, "pattern " + std::to_string(n) + " is outside 0 to 999; line ignored");
        return;
    }
    state.pattern_defined[n] = true;
    int32_t* entries = synth.score.pattern_table[n];
    // Entries 0..98 hold the pattern; the end marker needs the last slot.
    constexpr int32_t capacity = pattern_entries - 1;
    int32_t count = 0;
    bool full = false;
    while (const char* text = next_piece(&list)) {
        const Token* token = find_token(text);
        const int32_t value = token ? token->value : 0;  // unknown tokens are hold steps
        if (!token) report(state, "unknown token " + quoted(text) + "; it plays as a hold");
        if (value == command_volume || value == command_slide) {
            // A command and its argument are stored together or not at all.
            if (count + 2 > capacity) {
                full = true;
                break;
            }
            const char* argument = next_piece(&list);
            entries[count++] = value;
            entries[count++] = argument ? read_number(argument, state) : 0;
            if (!argument) {
                report(state, quoted(text) + " at the end of the line has no number; it reads 0");
                break;
            }
        } else {
            if (count + 1 > capacity) {
                full = true;
                break;
            }
            entries[count++] = value;
        }
    }
    entries[count] = entry_end;
    if (full) report(state, "a pattern holds at most " + std::to_string(capacity) + " entries; the rest is cut");
}

void parse_track(int32_t n, char* list, ParseState& state) {
    if (n < 0 || n >= voice_count) {
        report(state, "track " + std::to_string(n) + " is outside 0 to 29; line ignored");
        return;
    }
    state.track_line[n] = state.line;
    int32_t* entries = synth.score.track_table[n];
    constexpr int32_t capacity = track_entries - 1;  // room for the end marker
    int32_t count = 0;
    while (const char* item = next_piece(&list)) {
        if (count == capacity) {
            report(state, "a track holds at most " + std::to_string(capacity) + " items; the rest is cut");
            break;
        }
        if (std::strcmp(item, "loop") == 0) {
            // A loop before any pattern would send the track back to itself.
            if (count > 0) entries[count++] = entry_loop;
            else report(state, "a loop before any pattern is ignored");
            continue;
        }
        const int32_t pattern = read_int(item + 1);  // "p23" and "x23" both name pattern 23
        if (state.problems && !whole_number(item + 1))
            report(state, "item " + quoted(item) + " is not a letter and a number; read as pattern " +
                              std::to_string(pattern));
        if (pattern < 0 || pattern >= pattern_count) {  // no such pattern
            report(state, "item " + quoted(item) + " names no pattern (0 to 999); skipped");
            continue;
        }
        entries[count++] = pattern;
    }
    entries[count] = entry_end;
}

void parse_line(char* line, ParseState& state) {
    if (line[0] == '#') return;
    // The key is the first non-empty piece between ':'s.
    char* key = line;
    while (*key == ':') ++key;
    if (*key == '\0') {
        report(state, "a line of only ':' has no key; ignored");
        return;
    }
    char* rest = std::strchr(key, ':');
    if (rest) *rest++ = '\0';
    else rest = key + std::strlen(key);

    if (std::strcmp(key, "bpm") == 0) {
        parse_tempo(rest, state);
        return;
    }
    const bool known = key[0] == 'i' || key[0] == 'p' || key[0] == 't';
    if (!known) {
        report(state, "unknown key " + quoted(key) + " (bpm, i, p or t followed by a number); line ignored");
        return;
    }
    const int32_t n = read_number(key + 1, state);
    switch (key[0]) {
        case 'i': parse_instrument(n, rest, state); break;
        case 'p': parse_pattern(n, rest, state); break;
        default: parse_track(n, rest, state); break;
    }
}

// What the lines could not show on their own: tracks that name patterns no
// line defined or patterns without steps, voices that play without an
// instrument, and tracks that are never played. Reported at the track line.
void report_tracks(ParseState& state) {
    const int32_t played = played_voice_count();
    for (int32_t n = 0; n < voice_count; ++n) {
        state.line = state.track_line[n];
        const int32_t* items = synth.score.track_table[n];
        if (state.line == 0 || items[0] == entry_end) continue;
        if (n == 0 || n > played) {
            report(state, n == 0 ? std::string("track 0 is never played")
                                 : "track " + std::to_string(n) + " is never played: track " +
                                       std::to_string(played + 1) + " is empty, and tracks play from 1 up to the "
                                       "first empty one");
            continue;
        }
        if (!state.instrument_defined[n])
            report(state, "voice " + std::to_string(n) + " has no instrument line; its notes are silent");
        for (int32_t i = 0; items[i] != entry_end; ++i) {
            const int32_t p = items[i];
            if (p == entry_loop || std::find(items, items + i, p) != items + i) continue;  // once per pattern
            if (!state.pattern_defined[p])
                report(state, "p" + std::to_string(p) + " is not defined by any line; it plays 100 holds");
            else if (synth.score.pattern_table[p][0] == entry_end)
                report(state, "p" + std::to_string(p) + " has no steps");
        }
    }
}

// Gives every voice an echo ring of the song's final echo length: a new,
// silent one where an instrument line was read (`redefined`) or the ring
// has another length (none yet, or made at an earlier tempo).
void give_echo_rings(const std::array<bool, voice_count>& redefined) {
    for (int32_t n = 0; n < voice_count; ++n) {
        Voice& v = synth.voices[n];
        if (redefined[n] || v.echo_ring_length != synth.clock.echo_length)
            replace_echo_ring(v, synth.clock.echo_length);
    }
}

// Leaves every voice playable: it has its echo ring already, and gets a
// wave buffer here if it has none (a track may have no instrument line;
// such a voice plays one silent sample per note).
void complete_voices() {
    for (Voice& v : synth.voices) {
        if (!v.wave_buffer) {
            v.wave_buffer = v.wave_storage = new float[1]();
            v.wave_length = 1;
        }
    }
    synth.ready = true;
}
}  // namespace

int parse_score(char* text, std::vector<ScoreProblem>* problems) {
    if (text) {
        // Squeeze out spaces and carriage returns; tabs stay.
        char* write = text;
        for (const char* read = text; *read; ++read)
            if (*read != ' ' && *read != '\r') *write++ = *read;
        *write = '\0';

        // Line feeds stay, so state.line counts the lines of the text as written.
        ParseState state;
        state.problems = problems;
        const size_t first_problem = problems ? problems->size() : 0;
        int32_t lines = 0;
        char* cursor = text;
        while (*cursor != '\0' && lines < max_lines) {
            char* line = cursor;
            ++state.line;
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
        // The echo rings (2 MB to clear) are made while helper threads
        // start rendering.
        render_instruments(state.instruments, [&] { give_echo_rings(state.instrument_defined); });
        if (problems) {
            // The first non-empty line after the last one read.
            const size_t skipped = std::strspn(cursor, "\n");
            state.line += static_cast<int32_t>(skipped) + 1;
            if (cursor[skipped] != '\0')
                report(state, "only the first " + std::to_string(max_lines) +
                                  " non-empty lines are read; this one and the rest are ignored");
            report_tracks(state);
            std::stable_sort(problems->begin() + static_cast<std::ptrdiff_t>(first_problem), problems->end(),
                             [](const ScoreProblem& a, const ScoreProblem& b) { return a.line < b.line; });
        }
    } else {
        give_echo_rings({});
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
