#include "support/feedback.h"

#include <SDL_opengl.h>

std::vector<FeedbackPolygon> capture_polygons(const std::function<void()>& draw) {
    std::vector<GLfloat> buffer(1 << 20);
    GLint used = -1;
    // An overflowing buffer makes glRenderMode return a negative count; grow
    // and draw again.
    while (used < 0) {
        glFeedbackBuffer(static_cast<GLsizei>(buffer.size()), GL_3D_COLOR, buffer.data());
        glRenderMode(GL_FEEDBACK);
        draw();
        used = glRenderMode(GL_RENDER);
        if (used < 0) buffer.resize(buffer.size() * 4);
    }
    std::vector<FeedbackPolygon> polygons;
    const int per_vertex = 7;  // x, y, z, r, g, b, a
    auto vertex_at = [&](GLint i) {
        return FeedbackVertex{buffer[i], buffer[i + 1], buffer[i + 2], buffer[i + 3],
                              buffer[i + 4], buffer[i + 5], buffer[i + 6]};
    };
    for (GLint i = 0; i < used;) {
        const GLint token = static_cast<GLint>(buffer[i++]);
        switch (token) {
            case GL_POLYGON_TOKEN: {
                const GLint n = static_cast<GLint>(buffer[i++]);
                FeedbackPolygon polygon;
                for (GLint k = 0; k < n; ++k, i += per_vertex) polygon.vertices.push_back(vertex_at(i));
                polygons.push_back(std::move(polygon));
                break;
            }
            case GL_POINT_TOKEN:
            case GL_BITMAP_TOKEN:
            case GL_DRAW_PIXEL_TOKEN:
            case GL_COPY_PIXEL_TOKEN:
                i += per_vertex;
                break;
            case GL_LINE_TOKEN:
            case GL_LINE_RESET_TOKEN:
                i += 2 * per_vertex;
                break;
            case GL_PASS_THROUGH_TOKEN:
                i += 1;
                break;
            default:
                return polygons;  // unknown token: stop rather than misread
        }
    }
    return polygons;
}
