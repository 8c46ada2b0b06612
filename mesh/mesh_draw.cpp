// Immediate-mode mesh drawing.
#include "mesh/mesh_draw.h"

#include <GL/gl.h>

const unsigned int light_ids[max_mesh_lights] = {GL_LIGHT0, GL_LIGHT1, GL_LIGHT2, GL_LIGHT3,
                                                 GL_LIGHT4, GL_LIGHT5, GL_LIGHT6, GL_LIGHT7};

int32_t light_slot = 0;

namespace {

// The next free light takes the material colours of the marker's first
// group and, as a directional light (w = 0), the direction of the vertex at
// corner 0 of that group's first face, under the current modelview (the
// caller's placement and any pivot rotation; the pivot offset is not
// subtracted).
void set_up_light(const Mesh& mesh, const MeshObject& marker) {
    const MeshGroup* group = marker.groups;
    if (light_slot >= max_mesh_lights || !group || !group->faces || group->faces->count == 0) return;
    const GLenum light = light_ids[light_slot++];
    glEnable(light);
    const Material& m = *group->material;
    glLightfv(light, GL_AMBIENT, m.ambient);
    glLightfv(light, GL_SPECULAR, m.specular);
    glLightfv(light, GL_DIFFUSE, m.diffuse);
    const float* v = &mesh.vertices[3 * static_cast<size_t>(group->faces->vertex_indices[0])];
    const GLfloat direction[4] = {v[0], v[1], v[2], 0.0f};
    glLightfv(light, GL_POSITION, direction);
    glLightf(light, GL_CONSTANT_ATTENUATION, 1.0f);
    glLightf(light, GL_LINEAR_ATTENUATION, 0.0f);
    glLightf(light, GL_QUADRATIC_ATTENUATION, 0.0f);
    glLightf(light, GL_SPOT_CUTOFF, 180.0f);  // no spot cone
}

// Sends every group of a solid: its front material, then each face as one
// polygon with vertices relative to `offset` (the pivot point, or zero).
void draw_solid(const Mesh& mesh, const MeshObject& object, const float offset[3]) {
    for (const MeshGroup* g = object.groups; g; g = g->next) {
        const Material& m = *g->material;
        glMaterialfv(GL_FRONT, GL_DIFFUSE, m.diffuse);
        glMaterialfv(GL_FRONT, GL_AMBIENT, m.ambient);
        glMaterialfv(GL_FRONT, GL_SPECULAR, m.specular);
        glMaterialf(GL_FRONT, GL_SHININESS, m.shininess);
        for (const Face* f = g->faces; f; f = f->next) {
            glBegin(GL_POLYGON);
            for (int32_t k = 0; k < f->count; ++k) {
                glNormal3fv(&mesh.normals[3 * static_cast<size_t>(f->normal_indices[k])]);
                const float* v = &mesh.vertices[3 * static_cast<size_t>(f->vertex_indices[k])];
                glVertex3f(v[0] - offset[0], v[1] - offset[1], v[2] - offset[2]);
            }
            glEnd();
        }
    }
}

}  // namespace

void draw_mesh_object(const Mesh& mesh, const MeshObject& object) {
    if (object.kind == MeshObjectKind::pivot_marker) return;
    glPushMatrix();
    float offset[3] = {0, 0, 0};
    if (const MeshObject* marker = object.pivot) {
        const float* p = marker->pivot_point;
        glTranslatef(p[0], p[1], p[2]);
        glRotatef(object.angle, marker->axis[0], marker->axis[1], marker->axis[2]);  // GL normalises the axis
        for (int c = 0; c < 3; ++c) offset[c] = p[c];
    }
    if (object.kind == MeshObjectKind::light_marker) {
        set_up_light(mesh, object);
    } else {
        light_slot = 0;
        draw_solid(mesh, object, offset);
    }
    glPopMatrix();
}

void draw_mesh(const Mesh& mesh) {
    if (mesh.has_lights)
        for (unsigned int light : light_ids) glDisable(light);
    for (const MeshObject* o = mesh.objects; o; o = o->next)
        if (o->kind == MeshObjectKind::light_marker) draw_mesh_object(mesh, *o);
    for (const MeshObject* o = mesh.objects; o; o = o->next)
        if (o->kind != MeshObjectKind::light_marker) draw_mesh_object(mesh, *o);
}
