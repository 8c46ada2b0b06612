// The brick cloud: a picture of bricks raining onto a plate.
#include <algorithm>
#include <cstdlib>

#include "bricks/display_lists.h"
#include "bricks/gl_setup.h"
#include "effects/effects.h"
#include "embedded/face_pictures.h"

namespace {
constexpr float brick_pitch = 2.5f;        // units between brick centres
constexpr float grid_half_span = 18.75f;   // 7.5 pitches: the first centre from the middle
constexpr float wait_height = 30.0f;       // units above the plate before a brick falls
constexpr float fall_rate = 10.0f;         // height lost = 10 s^2: lands after sqrt(3) s
constexpr int start_slots = 640;           // start times w / 80 s, w in 0..639
constexpr float start_slots_per_second = 80.0f;

// brick_lists entries.
constexpr int white_falling = 0, white_landed = 1, black_falling = 2, black_landed = 3, plate = 4;
}  // namespace

void draw_brick_cloud(int picture, float t, float spin) {
    glPushMatrix();
    // Same seed, same schedule: the arrangement repeats every frame and run.
    std::srand(static_cast<unsigned>(picture));
    gl_setup::set_switches();
    gl_setup::set_light0(0.0f, 10.0f, 10.0f, 2.0f);

    glTranslatef(0.0f, 0.0f, -28.0f);
    glRotatef(90.0f, 1.0f, 0.0f, 0.0f);  // the plate's studs face the viewer
    glRotatef(spin, 0.0f, 1.0f, 0.0f);
    glCallList(brick_state.brick_lists[plate]);
    glTranslatef(0.0f, 1.0f, 0.0f);  // bricks rest one unit above the plate's centre
    glTranslatef(0.0f, 0.0f, -grid_half_span);

    // An out-of-range picture number would read outside the table; it
    // draws the plate only.
    const bool known_picture = picture >= 0 && picture < cloud_picture_count;
    for (int j = 0; known_picture && j < cloud_picture_side; ++j) {
        const unsigned char* row = face_pictures + (picture + cloud_picture_count * j) * cloud_picture_side;
        glPushMatrix();
        glTranslatef(-grid_half_span, 0.0f, 0.0f);
        for (int c = 0; c < cloud_picture_side; ++c) {
            glPushMatrix();
            // Exactly four rand() calls per brick, in this order.
            const int w = std::rand() % start_slots;
            const float late = static_cast<float>(w) / start_slots_per_second - t;  // > 0: not started
            const float d = std::min(late, 0.0f);
            const float height = std::max(wait_height - fall_rate * d * d, 0.0f);
            glTranslatef(0.0f, height, 0.0f);
            const int f = std::rand() % 20;  // landing offsets, 1/60 unit steps
            const int g = std::rand() % 3;
            glTranslatef(static_cast<float>(g) / 60.0f, 0.0f, static_cast<float>(f) / 60.0f);
            const int twist = std::rand() % 20 - 10;  // degrees, -10..9
            glRotatef(static_cast<float>(twist), 0.0f, 1.0f, 0.0f);
            glRotatef(10.0f * height, 1.0f, 0.5f, 0.0f);  // tumbles while falling, flat once landed
            const bool white = row[c] != 0;
            // Landed bricks show no underside.
            const int list = height == 0.0f ? (white ? white_landed : black_landed)
                                            : (white ? white_falling : black_falling);
            glCallList(brick_state.brick_lists[list]);
            glPopMatrix();
            glTranslatef(brick_pitch, 0.0f, 0.0f);
        }
        glPopMatrix();
        glTranslatef(0.0f, 0.0f, brick_pitch);
    }
    glPopMatrix();
}
