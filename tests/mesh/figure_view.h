// Shared by the mesh picture and drawing tests: the demo's projection and
// lighting switches, a camera turned about the figure, and projection of
// model points to pixels so tests can look at what lies there.
#pragma once
#include <array>
#include <string>
#include <vector>

#include "mesh/mesh.h"
#include "support/png_image.h"

// Where the camera looks from: the figure is turned by `turn_degrees` about
// the vertical, then placed `distance` units in front of the eye with its
// point `look_y` at the centre of the picture.
struct FigureView {
    double turn_degrees = 0;
    double distance = 16;
    double look_y = 1.5;
    double tilt_degrees = 0;  // turns the figure about x (positive: top away)
};

// Clears to a mid grey-blue and sets the demo's state: the fixed frustum,
// two-sided lighting, smooth shading, depth test, back-face culling, lighting
// on; then loads the modelview for `view`.
void begin_figure_view(const FigureView& view);

// Light 0 as the walkers scene sets it for the blocky figure: white,
// ambient 0.3, positional at (2, 6, 10) in the figure's frame.
void set_walkers_scene_light();

// Window pixel (x to the right, y down from the top row) of a point in the
// current modelview's coordinates; false when it falls outside the window.
bool project_to_pixel(const std::array<double, 3>& point, int width, int height, int& px, int& py);

// The colour at a pixel of a top-row-first RGB image.
std::array<int, 3> pixel_at(const RgbImage& image, int px, int py);

// Broad colour classes the figures use.
bool looks_yellow(const std::array<int, 3>& c);
bool looks_red(const std::array<int, 3>& c);
bool looks_blue(const std::array<int, 3>& c);
bool looks_black(const std::array<int, 3>& c);
bool looks_dark(const std::array<int, 3>& c);  // black with some shine: dark and grey
bool looks_white(const std::array<int, 3>& c);
bool looks_background(const std::array<int, 3>& c);

// Writes the image under the test output folder and returns the path.
std::string save_picture(const RgbImage& image, const std::string& name);

// Positions of all vertices of one object's groups, and their mean.
std::vector<std::array<double, 3>> object_points(const Mesh& mesh, const char* object, const char* group = nullptr);
std::array<double, 3> mean_point(const std::vector<std::array<double, 3>>& points);

// Turns `p` by `degrees` about the line through `centre` along `axis`
// (right-handed, as glRotate does).
std::array<double, 3> rotate_about(const std::array<double, 3>& p, const float centre[3], const float axis[3],
                                   double degrees);
