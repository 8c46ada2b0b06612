// Packed mesh encoder and the decoded-mesh-to-source conversion.
#include "mesh/mesh_encode.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace {

constexpr int max_stored = 32767;      // largest signed 16-bit value
constexpr size_t max_index = 65535;    // largest unsigned 16-bit index
constexpr size_t max_corners = 255;    // corner count is one byte
constexpr size_t max_faces = 65535;    // face count is unsigned 16-bit

struct Writer {
    std::vector<uint8_t>& out;
    void u8(uint8_t v) { out.push_back(v); }
    void u16(uint16_t v) {
        out.push_back(static_cast<uint8_t>(v & 0xff));
        out.push_back(static_cast<uint8_t>(v >> 8));
    }
    void u32(uint32_t v) {
        for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<uint8_t>(v >> shift));
    }
    void f32(float v) {
        uint32_t bits;
        std::memcpy(&bits, &v, sizeof bits);
        u32(bits);
    }
    void name(const std::string& s) {
        out.insert(out.end(), s.begin(), s.end());
        out.push_back(0);
    }
};

bool valid_name(const std::string& name) {
    return name.size() < static_cast<size_t>(mesh_name_size) && name.find('\0') == std::string::npos;
}

bool write_array(Writer& w, const std::vector<std::array<float, 3>>& values, uint16_t scale, const char* what,
                 std::string& error) {
    if (values.size() > UINT32_MAX) {
        error = std::string("too many ") + what;
        return false;
    }
    w.u32(static_cast<uint32_t>(values.size()));
    for (const auto& v : values) {
        for (float c : v) {
            const double scaled = std::nearbyint(static_cast<double>(c) * scale);
            if (!(scaled >= -max_stored - 1 && scaled <= max_stored)) {
                error = std::string("a value of the ") + what + " does not fit in 16 bits at scale " +
                        std::to_string(scale);
                return false;
            }
            w.u16(static_cast<uint16_t>(static_cast<int16_t>(scaled)));
        }
    }
    return true;
}

bool write_face(Writer& w, const SourceFace& face, const MeshSource& source, std::string& error) {
    if (face.vertices.size() != face.normals.size() || face.vertices.size() > max_corners) {
        error = "a face has more than 255 corners or unequal vertex and normal lists";
        return false;
    }
    w.u8(static_cast<uint8_t>(face.vertices.size()));
    for (int32_t v : face.vertices) {
        if (v < 0 || static_cast<size_t>(v) >= source.vertices.size() || static_cast<size_t>(v) > max_index) {
            error = "a face refers to a vertex that does not exist";
            return false;
        }
        w.u16(static_cast<uint16_t>(v));
    }
    for (int32_t n : face.normals) {
        if (n < 0 || static_cast<size_t>(n) >= source.normals.size() || static_cast<size_t>(n) > max_index) {
            error = "a face refers to a normal that does not exist";
            return false;
        }
        w.u16(static_cast<uint16_t>(n));
    }
    return true;
}

bool write_records(Writer& w, const MeshSource& source, std::string& error) {
    for (const SourceMaterial& m : source.materials) {
        if (!valid_name(m.name)) {
            error = "material name too long or with a zero byte";
            return false;
        }
        w.u8('m');
        w.name(m.name);
        for (const auto* colour : {&m.ambient, &m.diffuse, &m.specular})
            for (float c : *colour) w.f32(c);
        w.f32(m.reserved);
        w.f32(m.shininess);
    }
    for (const SourceObject& o : source.objects) {
        if (!valid_name(o.name)) {
            error = "object name too long or with a zero byte: " + o.name.substr(0, 40);
            return false;
        }
        w.u8('o');
        w.name(o.name);
        for (const SourceGroup& g : o.groups) {
            bool known = false;
            for (const SourceMaterial& m : source.materials) known = known || m.name == g.material;
            if (!valid_name(g.name) || !known) {
                error = "group " + g.name.substr(0, 40) + " has a bad name or an unknown material";
                return false;
            }
            if (g.faces.size() > max_faces) {
                error = "group " + g.name + " has more than 65535 faces";
                return false;
            }
            w.u8('g');
            w.name(g.name);
            w.name(g.material);
            w.u16(static_cast<uint16_t>(g.faces.size()));
            for (const SourceFace& f : g.faces)
                if (!write_face(w, f, source, error)) return false;
        }
    }
    w.u8('q');
    return true;
}

}  // namespace

uint16_t mesh_scale_for(const MeshSource& source) {
    double m = 0;
    for (const auto& v : source.vertices)
        for (float c : v) m = std::max(m, std::fabs(static_cast<double>(c)));
    const double scale = std::floor(max_stored / (m + 1));
    return static_cast<uint16_t>(std::max(1.0, scale));
}

bool encode_mesh(const MeshSource& source, uint16_t scale, std::vector<uint8_t>& out, std::string& error) {
    out.clear();
    if (scale == 0) {
        error = "scale 0";
        return false;
    }
    Writer w{out};
    w.u16(scale);
    const bool ok = write_array(w, source.vertices, scale, "vertices", error) &&
                    write_array(w, source.normals, scale, "normals", error) && write_records(w, source, error);
    if (!ok) out.clear();
    return ok;
}

bool encode_mesh(const MeshSource& source, std::vector<uint8_t>& out, std::string& error) {
    return encode_mesh(source, mesh_scale_for(source), out, error);
}

namespace {
// Pushing every list element at the front of a vector restores record order.
template <typename Node, typename Fn>
void in_record_order(Node* head, Fn&& fn) {
    std::vector<const Node*> nodes;
    for (const Node* n = head; n; n = n->next) nodes.push_back(n);
    for (auto it = nodes.rbegin(); it != nodes.rend(); ++it) fn(**it);
}
}  // namespace

MeshSource mesh_to_source(const Mesh& mesh) {
    MeshSource source;
    for (int32_t i = 0; i < mesh.vertex_count; ++i)
        source.vertices.push_back({mesh.vertices[3 * i], mesh.vertices[3 * i + 1], mesh.vertices[3 * i + 2]});
    for (int32_t i = 0; i < mesh.normal_count; ++i)
        source.normals.push_back({mesh.normals[3 * i], mesh.normals[3 * i + 1], mesh.normals[3 * i + 2]});
    in_record_order(mesh.materials, [&](const Material& m) {
        SourceMaterial s;
        s.name = m.name;
        for (int c = 0; c < 3; ++c) {
            s.ambient[c] = m.ambient[c];
            s.diffuse[c] = m.diffuse[c];
            s.specular[c] = m.specular[c];
        }
        s.reserved = m.reserved;
        s.shininess = m.shininess;
        source.materials.push_back(s);
    });
    in_record_order(mesh.objects, [&](const MeshObject& o) {
        SourceObject& so = source.objects.emplace_back();
        so.name = o.name;
        in_record_order(o.groups, [&](const MeshGroup& g) {
            SourceGroup& sg = so.groups.emplace_back();
            sg.name = g.name;
            sg.material = g.material->name;
            in_record_order(g.faces, [&](const Face& f) {
                SourceFace& sf = sg.faces.emplace_back();
                sf.vertices.assign(f.vertex_indices, f.vertex_indices + f.count);
                sf.normals.assign(f.normal_indices, f.normal_indices + f.count);
            });
        });
    });
    return source;
}
